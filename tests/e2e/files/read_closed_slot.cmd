* Reading from a slot that is not open is said, like writing to one.
* keys: {Enter}
* screen: Erro no processamento de arquivo
* screen: Erro de execução na linha 5
LE #4 L
