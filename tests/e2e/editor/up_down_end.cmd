* Up and Down end the edit like Enter does for LE (the host uses them for its
* history); the text comes back without trailing blanks.
* keys: abc  {Up}de{Down}
* screen: abc
* screen: de
* screen: [abc] [de]
LE V
LE W
ESCREVE "[" V "] [" W "]"
TERMINA MUDO
