* DEBUG echoes each command, with its word upper-cased, before it runs;
* only "-" or a capital N turns it off.
* screen: Debug ligado
* screen: DEBUG não
* screen: Debug ligado
* screen: DEBUG -
* screen: Debug desligado
* screen: Fim do script
debug
debug não
DEBUG -
