* Signs are said by name: six in a row are said four times, then clicked;
* www is spelled; "://" gives its colon without a pause.
* ini: [TRADUTOR]
* ini: DIRLETRAS={voice}/letras
* ini: DIRDIFONES={voice}/difones
* log: speak !!!!!!
* log: play {voice}/letras\_33.wav
* log: play {voice}/letras\_33.wav
* log: play {voice}/letras\_33.wav
* log: play {voice}/letras\_33.wav
* log: click
* log: click
* log: speak www.mirane.br
* log: spell www
* log: play {voice}/letras\_119.wav
* log: play {voice}/letras\_46.wav
* log: unit _98
* log: unit _114
* log: speak http://x
* log: play {voice}/letras\_58.wav
* log: play {voice}/letras\_47.wav
* log: play {voice}/letras\_47.wav
ESCREVE "!!!!!!"
ESCREVE "www.mirane.br"
ESCREVE "http://x"
