* The functions of SEJA: TAMANHO, MAIUSC, TRIM, POS, PALAVRA, CHR (also of
* the key texts LE TECLA gives), ASC.
* log: speak tamanho 5 0
* log: speak maiusc AÇÃO É 1Z
* log: speak trim [a  b]
* log: speak pos 3 0 0 1
* log: speak palavra [um] [dois] [tres] [] [] []
* log: speak chr A A A [] [] [] [] [é]
* log: speak asc #65 #233 [] []
* log: speak Fim do script
SEJA A TAMANHO "olá!"
SEJA A TAMANHO "olá!!"
SEJA B TAMANHO ""
ESCREVE "tamanho " A " " B
SEJA A MAIUSC "ação é 1z"
ESCREVE "maiusc " A
SEJA A TRIM "   a  b   "
ESCREVE "trim [" A "]"
SEJA A POS "c" "abcabc"
SEJA B POS "x" "abc"
SEJA C POS "" "abc"
SEJA D POS "abc" "abc"
ESCREVE "pos " A " " B " " C " " D
SEJA T "um  dois tres"
SEJA A PALAVRA 1 T
SEJA B PALAVRA 2 T
SEJA C PALAVRA 3 T
SEJA D PALAVRA 4 T
SEJA E PALAVRA 1 " antes"
SEJA F PALAVRA 2147483647 T
ESCREVE "palavra [" A "] [" B "] [" C "] [" D "] [" E "] [" F "]"
SEJA A CHR "#65"
SEJA B CHR "010#65"
SEJA C CHR "#$41"
SEJA D CHR "#0#59"
SEJA E CHR "000#0#72"
SEJA F CHR "210#65"
SEJA G CHR "65"
SEJA H CHR "#233"
ESCREVE "chr " A " " B " " C " [" D "] [" E "] [" F "] [" G "] [" H "]"
SEJA A ASC "A"
SEJA B ASC "é"
SEJA C ASC "AB"
SEJA D ASC ""
ESCREVE "asc " A " " B " [" C "] [" D "]"
