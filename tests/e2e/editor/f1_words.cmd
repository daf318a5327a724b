* F1 reads the field word by word from the cursor: a word is spoken, a
* number said as a number, a run with no vowel spelled; past the end, a
* beep.
* keys: casa 123 mbr{Home}{F1}{F1}{F1}{F1}{Enter}
* screen: casa 123 mbr
* screen: casa 123 mbr
* log: speak casa
* log: speak 123
* log: spell mbr
* log: beep
* log: speak casa 123 mbr
LE V
ESCREVE V
TERMINA MUDO
