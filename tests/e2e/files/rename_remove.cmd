* RENOMEIA finds the file in any letter case; REMOVE with "&" of a missing
* file succeeds silently; without it the failure is said and stops the run.
* file: Velho.TXT=abc
* keys: {Enter}
* expect-file: novo.txt=abc
* screen: Erro no apagamento do arquivo falta.txt
* screen: Erro de execução na linha 15
* no-log: speak Erro no apagamento do arquivo outro.txt
RENOMEIA "velho.txt" "novo.txt"
RENOMEIA "velho.txt" "outro.txt" &
REMOVE "outro.txt" &
ABRE #1 "lixo.txt" &
FECHA #1
REMOVE "LIXO.TXT"
REMOVE "falta.txt"
