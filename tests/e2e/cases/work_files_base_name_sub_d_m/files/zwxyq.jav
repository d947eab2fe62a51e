sub.d/m
      0
