* Opening a missing file for reading is said with its name and stops the run.
* keys: {Enter}
* screen-has: Erro na abertura do arquivo falta.txt
* log: speak Erro na abertura do arquivo falta.txt
* screen-has: Erro de execução na linha 9
ABRE #3 "novo.txt" &
FECHA #3
FECHA #9
ABRE #1 "falta.txt"
