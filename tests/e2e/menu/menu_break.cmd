* Ctrl+Break ends the program while MENU EXECUTA waits for a key.
* keys: {Down}{Break}
* log: speak dois
* no-log: speak nunca
* exit: 255
MENU CRIA 1 1 20 3
MENU ADICIONA "um"
MENU ADICIONA "dois"
MENU EXECUTA P K T
ESCREVE "nunca"
