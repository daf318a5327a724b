* TELA clears the screen and places the cursor (also through a letter
* variable holding the command); COR and FUNDO take integers; TELA @10
* without a row fails.
* keys: {Enter}
* screen:
* screen:   b
* screen:
* screen:
* screen:          x
* screen: Erro de execução na linha 24
ESCREVE "antes"
TELA limpa
SEJA P "@3,2"
TELA P
ESCREVE "b" &
TELA @ 10 , 5
ESCREVE "x"
TELA MINIMIZADA
TELA NORMAL
COR 14
FUNDO "$1"
COR 7
FUNDO 0
TELA @10
