* A voice the settings name that cannot be opened: the two lines are
* written and said with espeak-ng, then Enter ends the program before the
* script runs.
* ini: [TRADUTOR]
* ini: DIRLETRAS={voice}/letras
* ini: DIRDIFONES={voice}/nenhuma
* keys: {Enter}
* screen: Erro de inicialização: 1
* screen: Banco de dados de voz: DIFONES2
* log: speak Erro de inicialização: 1
* log: speak Banco de dados de voz: DIFONES2
* log: exit 0
* no-log: speak nunca
* stderr-has: Banco de dados de voz: DIFONES2
ESCREVE "nunca"
