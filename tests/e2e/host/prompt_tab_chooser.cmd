* At the start-up prompt Tab opens the chooser on every file; Tab there
* goes back to typing (two clicks); Down after a pattern opens it too, and
* Enter runs the file picked.
* command:
* file: s.cmd=ESCREVE "rodou s"
* file: t.cmd=ESCREVE "rodou t"
* keys: {Tab}{Tab}t{Down}{Enter}
* log: speak s.cmd
* log: click
* log: click
* log: speak t.cmd
* log: speak rodou t
* log: speak Fim do script
