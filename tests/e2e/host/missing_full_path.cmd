* A full path that does not exist is not looked for in the default folder.
* command: c:\x\menu.cmd
* ini: [TESSEL]
* ini: DIRDEFAULT=c:\scripts
* file: scripts/menu.cmd=TERMINA MUDO
* screen: Arquivo .CMD inexistente
