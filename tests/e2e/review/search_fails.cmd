* A search in the screen review for a text that is not on the screen below
* the review cursor beeps twice; Esc then beeps twice more.
* keys: {Ctrl+Alt+F9}{F5}zz{Enter}{Esc}{Enter}
* log: speak Qual texto
* log: beep
* log: beep
* log: beep
* log: beep
ESCREVE "um dois"
LE V
