* A loop variable that stops being an integer makes FIM REPETE fail; the
* failure is reported at the REPETE line, where the count is read again.
* keys: {Enter}
* log: speak 1
* log: speak Erro de execução na linha 
* log: speak 7
REPETE I 2
ESCREVE I
SEJA I "x"
FIM REPETE
