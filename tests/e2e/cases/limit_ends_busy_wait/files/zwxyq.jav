M.TXT
      1
