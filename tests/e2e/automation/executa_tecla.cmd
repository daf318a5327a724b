* A key typed in the console ends the wait for a program started without
* "&"; the key stays for the script.
* keys: {wait 300}x
* screen-has: voltou
* screen-has: x
EXECUTA "sleep 3"
ESCREVE "voltou"
LE K &
ESCREVE K
