* LE SENHA reads a line that does not show on the screen and is not said;
* LE MUDO reads a line that shows but is not said.
* keys: segredo{Backspace}o{Enter}aberto{Enter}
* screen:
* screen: aberto
* screen: senha de 7 letras
* no-log: speak segredo
* no-log: speak aberto
LE SENHA S
LE MUDO A
SEJA T TAMANHO S
SE S == "segredo"
ESCREVE "senha de " T " letras"
FIM SE
TERMINA MUDO
