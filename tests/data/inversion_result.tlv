3
F 120 30 200 20 N
M 40.5 60 310 5 D
S 90 80 0 0 S & 180 0 S
3
3
inversion_result.cgp
1 3
2 2
3 1
