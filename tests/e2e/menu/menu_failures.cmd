* An empty menu beeps and gives no text; a start past the items leaves none
* current; items longer than the rectangle are cut on the screen but given
* whole; MENU TERMINA with no menu does nothing; a coordinate that is no
* number fails.
* keys: {Down}{Enter}{Enter}{F2}{Enter}
* log: beep
* screen-has: 1 #13 .
* screen-has: 2 1 #0#60 uma linha muito longa que passa da
* screen-has: Erro de execução na linha 23
MENU CRIA 1 1 20 3
MENU EXECUTA P K T
MENU TERMINA
ESCREVE P " " K " " T "."
MENU CRIA 1 5 10 7
MENU ADICIONA "uma linha muito longa que passa da"
SEJA P 7
MENU EXECUTA P K T
SEJA Q 1
MENU EXECUTA Q K T
MENU TERMINA
ESCREVE P " " Q " " K " " T
MENU TERMINA
MENU CRIA 1 x 10 3
