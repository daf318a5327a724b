* Ensaio asks for the script, runs it and says it has finished.
* program: ensaio
* command:
* file: s.cmd=DEBUG -
* keys: s.cmd{Enter}
* screen: Informe o script a executar:
* screen: s.cmd
* screen: Debug desligado
* screen: O script ja terminou.
