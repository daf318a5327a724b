* MENU EXECUTA ends on a character (Esc gives "#27", a letter itself); a P
* that holds no number starts from the last chosen position; Up on the
* first item beeps and leaves no item current, so the text is empty.
* keys: {Down}{Esc}x{Up}{Enter}
* log: speak um
* log: speak dois
* log: speak dois
* log: beep
* screen-has: 2 #27 dois
* screen-has: 2 x dois
* screen-has: 0 #13 .
MENU CRIA 1 1 20 4
MENU ADICIONA "um"
MENU ADICIONA "dois"
SEJA P 1
MENU EXECUTA P K T
SEJA A P
CONCATENA A " "
CONCATENA A K
CONCATENA A " "
CONCATENA A T
SEJA S ""
MENU EXECUTA S K T
MENU TERMINA
ESCREVE A
ESCREVE S " " K " " T
MENU CRIA 1 10 20 12
MENU ADICIONA "um"
SEJA P 1
MENU EXECUTA P K T
MENU TERMINA
ESCREVE P " " K " " T "."
