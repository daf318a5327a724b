* Ctrl+Break ends the wait for a program started without "&".
* keys: {wait 300}{Break}
* exit: 255
* no-log: speak não chega aqui
EXECUTA "sleep 3"
ESCREVE "não chega aqui"
