* CONCATENA, COPIA (positions clamped, blanks around them allowed),
* DELETA (outside the text nothing happens) and SUBSTITUI (from the right,
* a replacement can make a new match to its left; exact case).
* log: speak abcdef abcdef2
* log: speak [bcd] [abc] [ef2] [] [] [bc]
* log: speak [abcde] [ade] [a] [a]
* log: speak [b] [xaxbxcx] [um/dois/tres] [aaaaaa] [ABC] []
* log: speak Fim do script
SEJA A "abc"
CONCATENA A "def"
SEJA Z A
CONCATENA A (1 + 1)
ESCREVE Z " " A
COPIA B A 2 4
COPIA C A 0 2
COPIA D A 5 100
COPIA E A 8 9
COPIA F A 4 3
COPIA G A " 2 " "3"
ESCREVE "[" B "] [" C "] [" D "] [" E "] [" F "] [" G "]"
SEJA H "abcde"
DELETA H 10 1
SEJA I H
DELETA H 2 2
SEJA J H
DELETA H 2 100
SEJA K H
DELETA H 1 0
ESCREVE "[" I "] [" J "] [" K "] [" H "]"
SEJA S "aab"
SUBSTITUI S "ab" "b"
SEJA T "abc"
SUBSTITUI T "" "x"
SEJA U "um, dois, tres"
SUBSTITUI U ", " "/"
SEJA V "aaa"
SUBSTITUI V "a" "aa"
SEJA W "ABC"
SUBSTITUI W "b" "x"
SEJA Y ""
SUBSTITUI Y "a" "b"
ESCREVE "[" S "] [" T "] [" U "] [" V "] [" W "] [" Y "]"
