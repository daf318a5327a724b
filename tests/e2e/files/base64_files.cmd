* CODARQBASE64 writes lines of 64 characters ending in CR LF; the last line
* of a 100-byte file has 8 characters ending in "=="; DECODARQBASE64 gives
* the bytes back. CODBASE64 and DECODBASE64 work on variables.
* file: cem.txt=0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopqrstuvwxyzAB
* expect-file: volta.txt=0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopqrstuvwxyzAB
* screen: MDEyMzQ1Njc4OWFiY2RlZmdoaWprbG1ub3BxcnN0dXZ3eHl6QUJDREVGR0hJSktM
* screen: TU5PUFFSU1RVVldYWVowMTIzNDU2Nzg5YWJjZGVmZ2hpamtsbW5vcHFyc3R1dnd4
* screen: eXpBQg==
* screen: fim 1
* screen: bytes 142
* screen: TWFu TQ== Man M
CODARQBASE64 "cem.txt" "cem.b64"
ABRE #1 "cem.b64"
REPETE I 4
LE #1 L
SE L <> ""
ESCREVE L
FIM SE
FIM REPETE
CHECA S
FECHA #1
ESCREVE "fim " S
TAMARQ "cem.b64" T
ESCREVE "bytes " T
DECODARQBASE64 "CEM.B64" "volta.txt"
SEJA A "Man"
SEJA B "M"
CODBASE64 A
CODBASE64 B
SEJA C "TWFu"
SEJA D "TQ==TWFu"
DECODBASE64 C
DECODBASE64 D
ESCREVE A " " B " " C " " D
TERMINA MUDO
