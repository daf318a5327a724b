* BIPA beeps and throws away the keys typed ahead; BIPA 1 clicks. The keys
* typed ahead are gone: the text after the beep is said.
* ini: [TRADUTOR]
* ini: DIRLETRAS={voice}/letras
* ini: DIRDIFONES={voice}/difones
* keys: {wait 0}a{wait 0}b
* log: beep
* log: click
* log: beep
* log: speak Bom dia
* log: unit $BOTIL
BIPA
BIPA 1
BIPA 2
ESCREVE "Bom dia"
