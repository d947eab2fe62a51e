M.TXT
    60
