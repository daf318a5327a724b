* DESVIA SCRIPT with a file that does not exist fails at its own line and
* the script stays loaded.
* keys: {Enter}
* log: speak Erro de execução na linha 
* log: speak 6
DESVIA SCRIPT "nao_existe.cmd"
