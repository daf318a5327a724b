* While MENU EXECUTA waits for a key, its items are on the screen, cut to
* the rectangle (the key script runs out there, and the screen is kept).
* keys: {Down}
* exit: 3
* screen: um
* screen: uma linha
* screen: três
* stderr-has: key script exhausted
MENU CRIA 1 1 9 4
MENU ADICIONA "um"
MENU ADICIONA "uma linha muito longa"
MENU ADICIONA "três"
MENU EXECUTA P K T
