* A key pressed during a long text stops the speech at once; the key stays
* queued, so the next text is not said either, and the script goes on.
* ini: [TRADUTOR]
* ini: DIRLETRAS={voice}/letras
* ini: DIRDIFONES={voice}/difones
* keys: {wait 700}x
* log: speak Era uma vez uma casa amarela numa rua comprida, e nela morava uma menina que gostava de xícaras.
* log: unit $RRU
* log: speak Segunda linha
* no-log: unit $XI
* no-log: unit $GUTIL
* screen-has: Segunda linha
ESCREVE "Era uma vez uma casa amarela numa rua comprida, e nela morava uma menina que gostava de xícaras."
ESCREVE "Segunda linha"
