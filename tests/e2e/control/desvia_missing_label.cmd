* A jump to a label that does not exist fails at the DESVIA line.
* keys: {Enter}
* log: speak Erro de execução na linha 
* log: speak 5
DESVIA @NAOEXISTE
