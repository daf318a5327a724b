* "@FIM" as a separate argument is an ordinary script argument, not a label.
* command: {script} @FIM
* screen: Debug desligado
* screen: Fim do script
DEBUG -
TERMINA
@FIM
DEBUG
