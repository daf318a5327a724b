* Only whole words are commands: TERMINAR, which begins like TERMINA, is
* unknown.
* keys: {Enter}
* screen-has: Comando inválido: TERMINAR
* screen-has: Erro de execução na linha 6
TERMINAR
