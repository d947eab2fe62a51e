MODEL.ABC
      0
