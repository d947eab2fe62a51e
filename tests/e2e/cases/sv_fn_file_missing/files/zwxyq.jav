M.TXT
      60
