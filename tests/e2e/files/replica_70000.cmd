* A file of 70000 bytes, built in the script, is copied byte for byte; an
* empty file gives an empty copy; a missing source with "&" copies nothing
* and does not stop the run.
* screen: 70000 70000 iguais
* screen: vazio 0
* screen: nada
* expect-file: vazia.txt=
SEJA D "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopqrstuvwxyzAB"
REPETE I 700
ESCREVEBYTE D
FIM REPETE
CRIABIN "grande.txt"
GRAVABYTES
FECHABIN
REPLICA "GRANDE.TXT" "copia.txt"
TAMARQ "grande.txt" A
TAMARQ "copia.txt" B
ABRE #1 "grande.txt"
ABRE #2 "copia.txt"
LE #1 X
LE #2 Y
SEJA R "diferentes"
SE X == Y
SEJA R "iguais"
FIM SE
ESCREVE A " " B " " R
ABRE #3 "vazio.txt" &
FECHA #3
REPLICA "vazio.txt" "vazia.txt"
TAMARQ "vazia.txt" V
ESCREVE "vazio " V
REPLICA "falta.txt" "nada.txt" &
BUSCA N "nada.txt"
ESCREVE "nada" N
TERMINA MUDO
