* Failures of the arithmetic commands: a variable that is not an integer
* (unchanged), text after the amount (the variable already changed),
* nothing after the variable, an amount that is not an integer, division
* by zero; CONCATENA with two operands leaves the variable unchanged.
* command:
* keys: {Enter}SEJA A "abc"{Enter}SUBTRAI A 1{Enter}ESCREVE A{Enter}
* keys: SEJA B 5{Enter}MULTIPLICA B 2 lixo{Enter}ESCREVE B{Enter}
* keys: SUBTRAI B{Enter}SOMA B{Enter}SOMA B x{Enter}DIVIDE B 0{Enter}ESCREVE B{Enter}
* keys: CONCATENA B "a" "b"{Enter}ESCREVE B{Enter}TERMINA{Enter}
* log: speak Erro
* log: speak abc
* log: speak Erro
* log: speak 10
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak Divisão por zero
* log: speak Erro
* log: speak 10
* log: speak Erro
* log: speak 10
