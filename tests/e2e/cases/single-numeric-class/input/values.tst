red 5
green 50
blue 99.9
