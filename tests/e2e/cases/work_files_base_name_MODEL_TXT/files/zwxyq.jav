MODEL.TXT
      0
