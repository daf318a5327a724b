* Interactive mode: Up with nothing typed before beeps and the line is
* edited again; Esc leaves.
* command:
* keys: {Enter}{Down}{Esc}
* log: speak Modo interativo
* log: beep
* log: speak Fim do script
