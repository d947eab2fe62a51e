MODEL
      0
