* Interactive mode: Up opens the lines typed before, newest first; the one
* chosen is offered again ("Editore e aperte enter") and Enter runs it.
* command:
* keys: {Enter}ESCREVE "um"{Enter}ESCREVE "dois"{Enter}{Up}{Down}{Enter}{Enter}TERMINA{Enter}
* screen-has: Modo interativo
* screen-has: Editore e aperte enter
* log: speak um
* log: speak dois
* log: speak Editore e aperte enter
* log: speak um
* log: speak Fim do script
