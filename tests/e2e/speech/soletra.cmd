* SOLETRA says each letter by name, then writes the text.
* ini: [TRADUTOR]
* ini: DIRLETRAS={voice}/letras
* ini: DIRDIFONES={voice}/difones
* screen: Olá
* screen: Fim do script
* log: spell Olá
* log: play {voice}/letras\_79.wav
* log: play {voice}/letras\_108.wav
* log: play {voice}/letras\_225.wav
SOLETRA "Olá"
ESCREVE
