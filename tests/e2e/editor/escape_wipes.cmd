* Esc in a spoken line wipes what was typed from the screen and gives the
* empty text.
* keys: abc{Esc}
* screen:
* screen:
* screen: fim
LE V
ESCREVE V
ESCREVE "fim"
TERMINA MUDO
