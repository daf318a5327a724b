* The database named for the speed level is missing: its name is said.
* ini: [TRADUTOR]
* ini: DIRLETRAS={voice}/letras
* ini: DIRDIFONES={voice}/difones
* ini: [SINTETIZADOR]
* ini: DIFONES3=OUTRA
* keys: {Enter}
* screen: Erro de inicialização: 1
* screen: Banco de dados de voz: OUTRA
* log: speak Erro de inicialização: 1
* log: speak Banco de dados de voz: OUTRA
* log: exit 0
ESCREVE "nunca"
