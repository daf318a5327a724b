* FIM ENQUANTO with no ENQUANTO above it fails; FIM without a word fails;
* FIM with any other word does nothing.
* keys: {Enter}
* log: speak antes
* log: speak Erro de execução na linha 
* log: speak 10
FIM SE
FIM QUALQUER
ESCREVE "antes"
FIM ENQUANTO
