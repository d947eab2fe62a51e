MOD1.TXT
      0
