* The chooser's box lists one name a row, each after a blank, in folded
* order; it is still on the screen while a key is awaited (the key script
* runs out there, and the screen is kept). Folders and other files are not
* listed.
* command:
* ini: [TESSEL]
* ini: DIRDEFAULT=C:\
* file: a.cmd=ESCREVE "a"
* file: B.CMD=ESCREVE "B"
* file: ção.cmd=ESCREVE "cao"
* file: notas.txt=nada
* file: pasta.cmd/x.cmd=ESCREVE "x"
* keys: *.cmd{Enter}{Down}
* exit: 3
* screen-has:  a.cmd
* screen-has:  B.CMD
* screen-has:  ção.cmd
* stderr-has: key script exhausted
