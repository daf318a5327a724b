* tessel menu@FIM starts at the label line; labels compare upper-cased.
* command: {script}@fim
* screen: Debug ligado
* screen: TERMINA
* screen: Fim do script
* no-log: speak Debug desligado
DEBUG N
TERMINA
@FIM
DEBUG
TERMINA
