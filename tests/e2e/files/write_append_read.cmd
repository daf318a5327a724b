* A file written line by line, appended to in a second opening, then read
* back to its end: CHECA gives 0 after every line and 1 at the end of the
* file, where the line read is empty. Lines end in CR LF.
* screen: inicio 0
* screen: primeira 0
* screen: segunda 0
* screen: terceira 0
* screen:  1
* screen: bytes 29
CHECA S
ESCREVE "inicio " S
ABRE #1 "notas.txt" &
ESCREVE #1 "primeira"
ESCREVE #1 "seg" &
ESCREVE #1 "unda"
FECHA #1
ABRE #1 "NOTAS.TXT" &
ESCREVE #1 "terceira"
FECHA #1
ABRE #2 "c:\Notas.txt"
REPETE I 4
LE #2 L
CHECA S
ESCREVE L " " S
FIM REPETE
FECHA #2
FECHA #2
TAMARQ "notas.txt" T
ESCREVE "bytes " T
TERMINA MUDO
