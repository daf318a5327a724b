* Speech, a tone and a recorded message reach the WAV capture sink.
* ini: [TRADUTOR]
* ini: DIRLETRAS={voice}/letras
* ini: DIRDIFONES={voice}/difones
* env: TESSEL_AUDIO=wav:{root}/out.wav
* env: MIRANE_DRIVE_V={voice}
* log: speak Olá
* log: tone 880 200
* log: play V:\LETRAS\_VELOC.WAV
ESCREVE "Olá"
ALARME 880 200
MENSAGEM "V:\letras\_VELOC"
