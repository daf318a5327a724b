* LE from a slot without a variable is said and stops the run.
* keys: {Enter}
* screen: Erro no processamento de arquivo
* screen: Erro de execução na linha 5
LE #1
