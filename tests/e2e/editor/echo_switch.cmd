* F4 switches the echo of typed characters: off, a typed letter is not said.
* keys: {F4}z{F4}y{Enter}
* log: play {voice}/letras\_FALDLG.wav
* no-log: play {voice}/letras\_122.wav
* log: play {voice}/letras\_FALACI.wav
* log: play {voice}/letras\_121.wav
* screen: zy
LE V
TERMINA MUDO
