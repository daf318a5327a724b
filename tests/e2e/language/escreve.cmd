* ESCREVE joins its operands without blanks; "&" keeps the line open; an
* empty ESCREVE ends the line even with "&"; MUDO writes without speaking.
* screen: ab5
* screen: sem quebra-mesma linha
* screen:
* screen: mudo
* screen: x"y
* screen: Fim do script
* log: speak ab5
* log: speak sem quebra-
* log: speak mesma linha
* log: speak
* log: speak x"y
* no-log: speak mudo
SEJA A 5
ESCREVE "a" "b" A
ESCREVE "sem quebra-" &
ESCREVE "mesma linha"
ESCREVE &
ESCREVE MUDO "mudo"
escreve "x""y"
