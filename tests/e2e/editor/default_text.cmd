* A field offered with a text: a letter typed first replaces it after two
* clicks; Right pressed first keeps it.
* keys: x{Enter}{Right}y{Enter}
* screen: x
* screen: cyasa
* log: click
* log: click
* log: speak x
* log: speak cyasa
SEJA V "casa"
LE EDITA V
ESCREVE V
SEJA W "casa"
LE EDITA W
ESCREVE W
TERMINA MUDO
