7 a
8 b
