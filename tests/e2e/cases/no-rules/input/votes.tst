red no
green yes
red no
