* LÊ is LE; LE MUDO reads a line that is not said; LE MOUSE needs the window.
* keys: sim{Enter}calado{Enter}{Enter}
* screen-has: A posição do mouse só pode ser lida na janela
* screen-has: Erro de execução na linha 10
* log: speak sim
* no-log: play {voice}/letras\_108.wav
LÊ V
ESCREVE V
LE MUDO W
LE MOUSE X Y
