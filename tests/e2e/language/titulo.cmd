* TITULO and its accented twin, in any case, set the window title; an
* operand that cannot be read gives the empty title; no argument fails.
* keys: {Enter}
* log: title Janela de teste
* log: title segundo
* log: title 5
* log: title
* log: speak Erro de execução na linha 
* log: speak 14
TITULO "Janela de teste"
título "segundo"
TÍTULO 5x
Titulo !
TITULO
