* Digits: up to six said as a number, leading zeros one by one, runs with
* a hyphen or of seven digits spelled, a minus before a digit.
* ini: [TRADUTOR]
* ini: DIRLETRAS={voice}/letras
* ini: DIRDIFONES={voice}/difones
* log: speak 2024
* log: word _dois
* log: word _mil
* log: word _e
* log: word _vinte
* log: word _e
* log: word _quatro
* log: speak 007
* log: play {voice}/letras\_zero.wav
* log: play {voice}/letras\_zero.wav
* log: word _sete
* log: speak 12-34
* log: spell 12-34
* log: play {voice}/letras\_49.wav
* log: play {voice}/letras\_50.wav
* log: play {voice}/letras\_45.wav
* log: play {voice}/letras\_51.wav
* log: play {voice}/letras\_52.wav
* log: speak 1234567
* log: spell 1234567
* log: speak -5
* log: play {voice}/letras\_MENOS.wav
* log: word _cinco
ESCREVE "2024"
ESCREVE "007"
ESCREVE "12-34"
ESCREVE "1234567"
ESCREVE "-5"
