* "menu" finds menu.cmd in the current folder.
* command: menu
* file: menu.cmd=DEBUG -
* screen: Debug desligado
* screen: Fim do script
