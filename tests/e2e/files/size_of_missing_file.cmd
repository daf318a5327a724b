* The size of a file that is not there is said and stops the run.
* keys: {Enter}
* screen: Erro na abertura do arquivo falta.bin
* screen: Erro de execução na linha 5
TAMARQ "falta.bin" T
