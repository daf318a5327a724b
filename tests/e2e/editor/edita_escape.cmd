* LE EDITA offers the variable's text; Esc gives the empty text (what was
* typed stays on the screen, and no line break follows).
* keys: {End}x{Esc}
* screen: casax
* screen: []
SEJA V "casa"
LE EDITA V
ESCREVE ""
ESCREVE "[" V "]"
TERMINA MUDO
