1,10.5,e1,good,calm,5,n
2	10.500001	e2	fair	breezy	5.000001	n
3, 10.50001, e1, poor, calm, 9.5, n
4,1.5e1,e2,good,breezy,12abc,n,extra,values
5,-7,e1,fair,calm,-3,n
  6 ,20,,e2,poor,calm,1,n,
7,25,e1,good,breezy,9,n

8,1,e9,good,calm,1,n
