M.TXT
     60
