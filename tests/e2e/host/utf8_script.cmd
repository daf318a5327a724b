* A script saved as UTF-8 is read as the Latin-1 text it stands for.
* keys: {Enter}
* screen-has: Comando inválido: AçãO
* log: speak Comando inválido: AçãO
ação
