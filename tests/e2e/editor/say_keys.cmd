* Keys that say things: Ctrl+K the cursor's position, Ctrl+F1 the whole
* field, Ctrl+\ the digits as telephone tones, F8 the time, Left at the start
* a beep. Ctrl+F8 says the date.
* keys: 12 ab{Left}{Ctrl+K}{Ctrl+F1}{Ctrl+\}{F8}{Ctrl+F8}{Home}{Left}{Enter}
* log: speak 5
* log: speak 12 ab
* log: play {voice}/letras\dtmf_1.wav
* log: play {voice}/letras\dtmf_2.wav
* log: word _de
* log: word _de
* log: beep
LE V
TERMINA MUDO
