* Every comparison operator, the padding of digit-only texts, NÃO and EM;
* each case writes its condition and V (true) or F (false).
* log: speak 1 V
* log: speak 2 F
* log: speak 3 V
* log: speak 4 F
* log: speak 5 V
* log: speak 6 V
* log: speak 7 F
* log: speak 8 V
* log: speak 9 F
* log: speak 10 V
* log: speak 11 F
* log: speak 12 V
* log: speak 13 F
* log: speak 14 V
* log: speak 15 F
* log: speak 16 F
* log: speak 17 F
* log: speak 18 F
* log: speak 19 V
* log: speak 20 F
* log: speak 21 V
* log: speak 22 V
* log: speak 23 V
* log: speak 24 V
* log: speak 25 V
* log: speak 26 V
* log: speak 27 V
* log: speak 28 V
* log: speak 29 V
* log: speak 30 V
* log: speak 31 V
* log: speak 32 F
* log: speak 33 V
* log: speak 34 V
* log: speak 35 V
* log: speak 36 V
* log: speak 37 V
* log: speak 38 V
* log: speak 39 V
* log: speak 40 V
* log: speak Fim do script
SEJA A "x"
SEJA B "X"
LISTA [L] CRIA
LISTA [L] ADICIONA "X"
LISTA [L] ADICIONA "007"
LISTA [Vazia] CRIA
SEJA R "F"
SE "10" > "9" SEJA R "V"
ESCREVE "1 " R
SEJA R "F"
SE "10" > "9a" SEJA R "V"
ESCREVE "2 " R
SEJA R "F"
SE "abc" = "ABC" SEJA R "V"
ESCREVE "3 " R
SEJA R "F"
SE "abc" == "ABC" SEJA R "V"
ESCREVE "4 " R
SEJA R "F"
SE "abc" == "abc" SEJA R "V"
ESCREVE "5 " R
SEJA R "F"
SE "007" = "7" SEJA R "V"
ESCREVE "6 " R
SEJA R "F"
SE "007" == "7" SEJA R "V"
ESCREVE "7 " R
SEJA R "F"
SE "" < "0" SEJA R "V"
ESCREVE "8 " R
SEJA R "F"
SE "" = "0" SEJA R "V"
ESCREVE "9 " R
SEJA R "F"
SE "casa amarela" *= "amarela" SEJA R "V"
ESCREVE "10 " R
SEJA R "F"
SE "abab" *= "ab" SEJA R "V"
ESCREVE "11 " R
SEJA R "F"
SE "abab" =* "ab" SEJA R "V"
ESCREVE "12 " R
SEJA R "F"
SE "abab" =* "b" SEJA R "V"
ESCREVE "13 " R
SEJA R "F"
SE "abab" *=* "ba" SEJA R "V"
ESCREVE "14 " R
SEJA R "F"
SE "abab" *=* "BA" SEJA R "V"
ESCREVE "15 " R
SEJA R "F"
SE "abc" *=* "" SEJA R "V"
ESCREVE "16 " R
SEJA R "F"
SE "abc" =* "" SEJA R "V"
ESCREVE "17 " R
SEJA R "F"
SE "abc" *= "" SEJA R "V"
ESCREVE "18 " R
SEJA R "F"
SE NÃO "abc" *=* "" SEJA R "V"
ESCREVE "19 " R
SEJA R "F"
SE "b" <> "B" SEJA R "V"
ESCREVE "20 " R
SEJA R "F"
SE "b" <> "c" SEJA R "V"
ESCREVE "21 " R
SEJA R "F"
SE "9" <= "10" SEJA R "V"
ESCREVE "22 " R
SEJA R "F"
SE "10" <= "10" SEJA R "V"
ESCREVE "23 " R
SEJA R "F"
SE "10" >= "9" SEJA R "V"
ESCREVE "24 " R
SEJA R "F"
SE "a" < "b" SEJA R "V"
ESCREVE "25 " R
SEJA R "F"
SE "ação" = "AÇÃO" SEJA R "V"
ESCREVE "26 " R
SEJA R "F"
SE "é" > "z" SEJA R "V"
ESCREVE "27 " R
SEJA R "F"
SE "-1" < "0" SEJA R "V"
ESCREVE "28 " R
SEJA R "F"
SE "2" < "10" SEJA R "V"
ESCREVE "29 " R
SEJA R "F"
SE "2" < "10a" SEJA R "V"
ESCREVE "30 " R
SEJA R "F"
SE "100000000000000000000" > "99999999999999999999" SEJA R "V"
ESCREVE "31 " R
SEJA R "F"
SE NÃO "a" = "a" SEJA R "V"
ESCREVE "32 " R
SEJA R "F"
SE NAO "a" = "b" SEJA R "V"
ESCREVE "33 " R
SEJA R "F"
SE não 1 = 2 SEJA R "V"
ESCREVE "34 " R
SEJA R "F"
SE A = B SEJA R "V"
ESCREVE "35 " R
SEJA R "F"
SE A em [L] SEJA R "V"
ESCREVE "36 " R
SEJA R "F"
SE NÃO "y" EM [L] SEJA R "V"
ESCREVE "37 " R
SEJA R "F"
SE NÃO "y" EM [Vazia] SEJA R "V"
ESCREVE "38 " R
SEJA R "F"
SE "7" EM [L] SEJA R "V"
ESCREVE "39 " R
SEJA R "F"
SE B EM [L] SEJA R "V"
ESCREVE "40 " R
