A.RES
      0
