* ESCREVE speaks what it writes with the recorded voice: syllable units
* joined into a sound, then the end of the script.
* ini: [TRADUTOR]
* ini: DIRLETRAS={voice}/letras
* ini: DIRDIFONES={voice}/difones
* screen: Bom dia
* screen: Fim do script
* log: speak Bom dia
* log: unit $BOTIL
* log: unit $DJI
* log: unit $ACIRC
* log: speak Fim do script
* log: unit $FITIL
* log: exit 0
ESCREVE "Bom dia"
