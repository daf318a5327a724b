* TERMINA MUDO ends without "Fim do script".
* screen: Debug desligado
* no-log: speak Fim do script
DEBUG -
termina mudo
DEBUG
