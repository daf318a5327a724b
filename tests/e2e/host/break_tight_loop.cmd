* Ctrl+Break ends even a loop that never writes nor waits.
* keys: {wait 0}{Break}
* exit: 255
* log: exit 255
SEJA A = 1
ENQUANTO A = 1
FIM ENQUANTO
