* A script that does not exist: the message, a 2-second pause, the end.
* command: nao_existe
* screen: Arquivo .CMD inexistente
* log: title TESSEL nao_existe
* log: speak Arquivo .CMD inexistente
* log: exit 0
