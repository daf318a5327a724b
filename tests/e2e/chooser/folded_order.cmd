* Without a script name, a pattern typed at the prompt opens the chooser:
* the names come in folded order, so ção.cmd is the third, after B.CMD, and
* Enter runs it.
* command:
* ini: [TESSEL]
* ini: DIRDEFAULT=C:\
* file: a.cmd=ESCREVE "a"
* file: B.CMD=ESCREVE "B"
* file: ção.cmd=ESCREVE "cao"
* file: notas.txt=nada
* keys: *.cmd{Enter}{Down}{Down}{Enter}
* log: speak a.cmd
* log: speak B.CMD
* log: speak ção.cmd
* log: speak cao
* screen-has: Fim do script
