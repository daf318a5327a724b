* Without a script name: the version, the prompt, then (Enter on an empty
* name) interactive mode; block words are refused, TERMINA leaves.
* command:
* keys: {Enter}REPETE I 3{Enter}DEBUG -{Enter}TERMINA{Enter}
* screen-has: Tessel - v5.2b14
* screen-has: Nome do arquivo .CMD a executar:
* screen-has: Modo interativo
* screen-has: Erro
* screen-has: Debug desligado
* screen-has: Fim do script
* log: title TESSEL
* log: speak Modo interativo
* log: speak Erro
* log: speak Debug desligado
