* LE in single-key mode: a character gives itself, a control character "#"
* and its code, an extended key "#0#" and its code; with TECLA every key is
* given by its code after three digits for Shift, Ctrl and Alt.
* keys: a{Enter}{F1}{Enter}b{Up}x
* screen: a
* screen: #13
* screen: #0#59
* screen: 000#13
* screen: 000#98
* screen: 000#0#72
LE K &
ESCREVE K
LE K &
ESCREVE K
LE K&
ESCREVE K
LE TECLA K
ESCREVE K
LE K TECLA &
ESCREVE K
LE TECLA K &
ESCREVE K
LE &
TERMINA MUDO
