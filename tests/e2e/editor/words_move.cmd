* Ctrl+Right moves to the next word with a click, and beeps past the last;
* Ctrl+Left goes back word by word and beeps at the start.
* keys: um dois{Home}{Ctrl+Right}{Ctrl+Right}{Ctrl+Left}{Ctrl+Left}{Ctrl+Left}X{Enter}
* screen: Xum dois
* log: click
* log: beep
* log: click
* log: beep
LE V
TERMINA MUDO
