* SOMA adds to the number at the end of a text (with one "-" before it):
* counters embedded in texts; an empty or overflowing counter counts as 0;
* text after the amount is ignored; sums wrap around in 32 bits.
* log: speak ITEM10
* log: speak 5
* log: speak abc2
* log: speak 7x1
* log: speak -2147483648
* log: speak a2
* log: speak v1
* log: speak x16 x-4 x6
* log: speak Fim do script
SEJA A "ITEM9"
SOMA A 1
ESCREVE A
SEJA B ""
SOMA B 5
ESCREVE B
SEJA C "abc-3"
SOMA C 5
ESCREVE C
SEJA D "7x"
SOMA D 1
ESCREVE D
SEJA E "2147483647"
SOMA E 1
ESCREVE E
SEJA F "a-"
SOMA F 2
ESCREVE F
SEJA G "v99999999999"
SOMA G 1
ESCREVE G
SEJA H "x10"
SOMA H (2 * 3) isto é ignorado
SEJA I H
SOMA H -20
SEJA J H
SOMA H "$A"
ESCREVE I " " J " " H
