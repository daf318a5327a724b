* FALAHORA says a time from the word files, in order; a time of four
* characters is an error.
* ini: [TRADUTOR]
* ini: DIRLETRAS={voice}/letras
* ini: DIRDIFONES={voice}/difones
* keys: {Enter}
* log: word _sete
* log: word _horas
* log: word _trinta
* log: word _minutos
* log: word _vinte
* log: word _e
* log: word _uma
* log: word _horas
* screen-has: Erro de execução na linha 18
FALAHORA "07:30"
FALAHORA "21:00"
FALAHORA "7:30"
