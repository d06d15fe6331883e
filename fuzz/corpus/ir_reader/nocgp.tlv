1
F 102 55 083 54 N
2
1
missing.cgp
1 5
