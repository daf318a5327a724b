* LE alone reads a line and forgets it; LE & waits for one key and forgets
* it; LE V reads a line into V.
* keys: esquecida{Enter}zlembrada{Enter}
* screen: esquecida
* screen: lembrada
* screen: lembrada
LE
LE &
LE V
ESCREVE V
TERMINA MUDO
