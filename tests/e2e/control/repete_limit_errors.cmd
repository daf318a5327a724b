* A limit that is not an integer, or a missing limit, makes REPETE fail.
* keys: {Enter}
* log: speak Erro de execução na linha 
* log: speak 6
SEJA L "dez"
REPETE I L
FIM REPETE
