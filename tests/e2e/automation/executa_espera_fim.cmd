* Without a console window on the desktop, a program started without "&"
* is waited for until it ends.
* screen-has: terminou
EXECUTA "true"
ESCREVE "terminou"
