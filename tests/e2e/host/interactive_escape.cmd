* Esc at the file prompt ends the program.
* command:
* keys: menu{Esc}
* no-log: speak Modo interativo
* log: exit 0
