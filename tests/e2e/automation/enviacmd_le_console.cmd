* A piped sh answers the lines sent with ENVIACMD; LE CONSOLE reads them,
* each line ending with CR LF, then CR LF and the error output.
* screen: um
* screen: dois
* screen:
* screen:
* screen:
* screen: 3
* screen:
* screen:
* screen:
* screen: vazio
* screen: Fim do script
EXECUTA "sh" &&&
ENVIACMD "printf 'um\ndois\n'"
LE CONSOLE V
ESCREVE V
ENVIACMD "expr 1 + 2"
LE CONSOLE V
ESCREVE V
LE CONSOLE V
SE V = ""
  ESCREVE "vazio"
FIM SE
