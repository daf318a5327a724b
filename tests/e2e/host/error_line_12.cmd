* An unknown command on line 12 stops the run there; the host reports the
* line and waits for Enter (other keys are ignored).
* keys: x{Enter}
* screen: Comando inválido: FOO
* screen: Erro de execução na linha 12
* log: speak Comando inválido: FOO
* log: speak Erro de execução na linha 
* log: speak 12
* exit: 0

@ANTES
FOO bar
TERMINA
