blue 15 yes 25
red 5 no 5
green 30 yes 15
red 10.5 yes 20.9
blue 20.9 no 10.5
green 12 no 22
