9.99 toy 1 a1
10 book 2.5 a2
10.0001 tool 2.51 a1
1000 toy 8 a2
-4 book -1 a1
