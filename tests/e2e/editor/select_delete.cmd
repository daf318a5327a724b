* Shift+Right three times selects three characters; Del removes them with
* one "_DEL", saying each removed character.
* keys: abcdef{Home}{Shift+Right}{Shift+Right}{Shift+Right}{Del}{Enter}
* screen: def
* screen: def
* log: play {voice}/letras\_DEL.wav
* log: play {voice}/letras\_97.wav
* log: play {voice}/letras\_98.wav
* log: play {voice}/letras\_99.wav
* log: speak def
LE V
ESCREVE V
TERMINA MUDO
