* "menu.pro", missing here, is found in the default script folder.
* command: menu.pro
* ini: [TESSEL]
* ini: DIRDEFAULT=c:\Scripts
* file: scripts/MENU.PRO=DEBUG -
* screen: Debug desligado
* screen: Fim do script
