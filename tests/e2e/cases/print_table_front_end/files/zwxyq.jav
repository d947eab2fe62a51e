M.TXT
     600
