* Ctrl+C copies the field, Ctrl+V pastes the first line of the clipboard;
* pasting first replaces an offered text; Shift+Ins pastes too.
* keys: abc{Ctrl+C}{Enter}x{Ctrl+V}{Enter}{Shift+Ins}{Enter}
* screen: abc
* screen: xabc
* screen: abc
SEJA V "velho"
LE A
LE B
LE EDITA V
ESCREVE V
TERMINA MUDO
