* SEJA and the operand forms: quoted texts (a doubled quote stands for
* one), number texts taken as written, one letter per variable, "$" names
* case-insensitive, the optional "=".
* log: speak 1 a"b
* log: speak 2 -12
* log: speak 3 007
* log: speak 4 5x
* log: speak 5 55
* log: speak 6 nome
* log: speak 7 com_traço
* log: speak 8 sem aspas no fim
* log: speak 9 -
* log: speak 10 ""
* log: speak Fim do script
SEJA A "a""b"
ESCREVE "1 " A
SEJA A -12
ESCREVE "2 " A
SEJA A=007
ESCREVE "3 " A
SEJA A 5
SEJA B "x"
ESCREVE "4 " AB
ESCREVE "5 " A A
SEJA $Nome = "nome"
ESCREVE "6 " $NOME
SEJA $com_traco "com_traço"
ESCREVE "7 " $COM_TRACO
SEJA C "sem aspas no fim
ESCREVE "8 " C
SEJA D -
ESCREVE "9 " D
SEJA E """"""
ESCREVE "10 " E
