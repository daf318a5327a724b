* A piped sh answers the lines sent with ENVIACMD; LE CONSOLE reads them.
* screen-has: ola mundo
* screen-has: 3
* screen-has: vazio
EXECUTA "sh" &&&
ENVIACMD "echo ola mundo"
LE CONSOLE V
ESCREVE V
ENVIACMD "expr 1 + 2"
LE CONSOLE V
ESCREVE V
LE CONSOLE V
SE V = ""
  ESCREVE "vazio"
FIM SE
