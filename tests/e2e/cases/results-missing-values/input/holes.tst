red 3 1.0 yes
red ? 1.0 yes
? 3 2.0 no
green 7 ? no
blue 8 2.5 ?
? ? ? ?
blue 12 4 no
