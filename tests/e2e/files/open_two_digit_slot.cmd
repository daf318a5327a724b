* A slot operand of two digits names no file.
* keys: {Enter}
* screen: Erro na abertura do arquivo
* screen: Erro de execução na linha 5
ABRE #12 "a.txt"
