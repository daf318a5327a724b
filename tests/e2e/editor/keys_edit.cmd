* Editing keys: Left and Backspace, End, Ctrl+Left and Ctrl+Right, Ctrl+Y
* blanks the field, Ctrl+U brings back what it held on entry, Ctrl+D blanks
* to the end, Ctrl+S removes what is before the cursor, Ctrl+Backspace a word.
* keys: abd{Left}c{End}e{Enter}
* keys: um dois tres{Ctrl+Left}{Ctrl+Left}{Ctrl+Backspace}{Enter}
* keys: {End}{Ctrl+Y}novo{Ctrl+U}{Enter}
* keys: {Right}{Right}{Ctrl+D}{Enter}
* keys: {Right}{Right}{Right}{Ctrl+S}{Enter}
* keys: abc{Backspace}{Home}{Backspace}{Enter}
* screen: abcde
* screen: abcde
* screen: um tres
* screen: um tres
* screen: teste
* screen: te
* screen: este
* screen: ab
* screen: ab
* log: beep
LE A
ESCREVE A
LE B
ESCREVE B
SEJA C "teste"
LE EDITA C
ESCREVE C
SEJA D "teste"
LE EDITA D
ESCREVE D
SEJA E "a teste"
LE EDITA E
ESCREVE E
LE F
ESCREVE F
TERMINA MUDO
