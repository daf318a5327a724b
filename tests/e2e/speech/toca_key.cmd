* TOCA plays a sound file and waits; a key stops it and is discarded, so
* the text after it is said. With "&" it does not wait.
* ini: [TRADUTOR]
* ini: DIRLETRAS={voice}/letras
* ini: DIRDIFONES={voice}/difones
* env: MIRANE_DRIVE_V={voice}
* keys: {wait 300}x
* log: play V:\letras\_FON88.wav
* log: speak Bom dia
* log: unit $BOTIL
* log: play V:\letras\_FON89.wav
TOCA "V:\letras\_FON88.wav"
ESCREVE "Bom dia"
TOCA "V:\letras\_FON89.wav" &
