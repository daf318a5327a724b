* SUBTRAI, MULTIPLICA and DIVIDE in 32 bits: products and differences
* wrap, division truncates toward zero; division by zero is said and fails
* with the variable unchanged.
* keys: {Enter}
* log: speak 7 -42 -8
* log: speak 0 -3 2147483647 15 -2147483648
* log: speak Divisão por zero
* log: speak Erro de execução na linha 
* log: speak 28
SEJA A 10
SUBTRAI A 3
SEJA X A
MULTIPLICA A -6
SEJA Y A
DIVIDE A 5
ESCREVE X " " Y " " A
SEJA B 65536
MULTIPLICA B 65536
SEJA C -7
DIVIDE C 2
SEJA D "-2147483648"
SUBTRAI D 1
SEJA E "$10"
SUBTRAI E "x1"
SEJA F "-2147483648"
DIVIDE F -1
ESCREVE B " " C " " D " " E " " F
DIVIDE E 0
