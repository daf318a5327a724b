* CHAMA and RETORNA nest, to a label or to the value of an operand; the
* 21st call without a return says "Muitas chamadas sem retorno" and fails.
* keys: {Enter}
* log: speak voltou 11
* log: speak voltou 22
* log: speak n 1
* log: speak n 20
* log: speak n 21
* log: speak Muitas chamadas sem retorno
* log: speak Erro de execução na linha 
* log: speak 32
* no-log: speak n 22
SEJA D 0
CHAMA @SUB
ESCREVE "voltou " D
SEJA L "sub"
CHAMA L
ESCREVE "voltou " D
DESVIA @RECURSAO
@SUB
SOMA D 1
CHAMA @SUB2
RETORNA
@SUB2
SOMA D 10
RETORNA
@RECURSAO
SEJA N 0
@R
SOMA N 1
ESCREVE "n " N
CHAMA @R
