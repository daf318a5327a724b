* ADQUOTED writes "=" and two upper-case hex digits for control bytes, "="
* and bytes from 127 on; REMOVEQUOTED gives the text back and drops one "="
* at the very end. Both need a variable: a quoted text stops the run.
* keys: {Enter}
* screen: a=E7=E3o =3D 100%
* screen: ação = 100%
* screen: linha=0D=0A
* screen: fim
* screen: Erro de execução na linha 23
SEJA T "ação = 100%"
ADQUOTED T
ESCREVE T
REMOVEQUOTED T
ESCREVE T
SEJA L "linha"
SEJA C CRLF
CONCATENA L C
ADQUOTED L
ESCREVE L
SEJA F "fim="
REMOVEQUOTED F
ESCREVE F
ADQUOTED "texto"
