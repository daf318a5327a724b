* The name typed at the start-up prompt is shown once, after the prompt.
* command:
* file: s.cmd=ESCREVE "rodou"
* keys: s{Enter}
* screen: Tessel - v5.2b14
* screen:
* screen: Nome do arquivo .CMD a executar: s
* screen: rodou
* screen: Fim do script
