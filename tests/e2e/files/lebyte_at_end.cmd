* LEBYTE from the position just past the end of the file fails.
* file: dez.bin=0123456789
* keys: {Enter}
* screen: Erro de execução na linha 5
LEBYTE "dez.bin" 10 12
