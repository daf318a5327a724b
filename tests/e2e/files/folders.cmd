* A folder is created, made current, filled, emptied and removed; BUSCA DIR
* alone gives the current folder. DIR CRIAR is no keyword: the run stops
* there without a message.
* keys: {Enter}
* screen: dentro.txt
* screen: Pasta
* screen: sem pasta
* screen: Erro no processamento do diretório pasta
* screen: Erro de execução na linha 30
DIR CRIA "Pasta"
DIR TROCA "pasta"
ABRE #1 "dentro.txt" &
ESCREVE #1 "x"
FECHA #1
BUSCA N DIR
SEJA P "nenhum"
SE N *= "Pasta"
SEJA P "Pasta"
FIM SE
DIR TROCA ".."
BUSCA N "PASTA\*.*"
ESCREVE N
ESCREVE P
REMOVE "pasta\dentro.txt"
DIR REMOVE "Pasta"
DIR REMOVE "Pasta" &
BUSCA N DIR "P*"
ESCREVE "sem pasta" N
DIR CRIA "a\b" &
DIR TROCA "pasta"
