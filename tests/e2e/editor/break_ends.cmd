* Ctrl+Break ends the program from inside a field, even while the speed
* change waits for its digit.
* keys: ab{Ctrl+F4}{Break}
* exit: 255
* log: play {voice}/letras\_VELOC.wav
* log: exit 255
LE V
ESCREVE "nunca"
