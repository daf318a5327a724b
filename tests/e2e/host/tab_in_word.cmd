* A tab does not separate the command word from its arguments.
* keys: {Enter}
* screen-has: Comando inválido: TERMINA
* screen-has: Erro de execução na linha 5
TERMINA	MUDO
