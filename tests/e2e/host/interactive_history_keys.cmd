* Interactive mode: Up ends the edit (the history is offered), the line is
* edited again; Tab edits again too; Esc leaves.
* command:
* keys: {Enter}ESCREVE "um"{Enter}{Up}{Tab}{Esc}
* screen-has: Modo interativo
* screen-has: um
* log: speak um
* log: speak Fim do script
