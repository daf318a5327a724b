* In interactive mode each failing SEJA says "Erro" and the next line runs:
* a stray word after a value fails after the assignment; a bad function
* operand, a missing value, an open parenthesis, DATA followed by more, a
* number with a fraction and a "$" name cut at "_" inside an expression
* fail.
* command:
* keys: {Enter}
* keys: SEJA A "x" y{Enter}ESCREVE A{Enter}
* keys: SEJA B TAMANHO "abc" z{Enter}ESCREVE B{Enter}
* keys: SEJA C "antes"{Enter}
* keys: SEJA C PALAVRA 0 "a b"{Enter}SEJA C RAND "x"{Enter}SEJA C POS "a"{Enter}
* keys: SEJA C{Enter}SEJA C ={Enter}SEJA C (1 + 2{Enter}ESCREVE C{Enter}
* keys: SEJA D "dê"{Enter}SEJA C DATA x{Enter}ESCREVE C{Enter}
* keys: SEJA C 12.5{Enter}ESCREVE C{Enter}
* keys: SEJA $X 1{Enter}SEJA $X_1 5{Enter}SEJA D ($X_1 + 1){Enter}SEJA D ($X + 1){Enter}ESCREVE D{Enter}
* keys: RANDOMIZA 1{Enter}RANDOMIZA{Enter}ESCREVE "fim"{Enter}
* keys: TERMINA{Enter}
* log: speak Erro
* log: speak x
* log: speak Erro
* log: speak 3
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak antes
* log: speak Erro
* log: speak dê
* log: speak Erro
* log: speak 12
* log: speak Erro
* log: speak 2
* log: speak Erro
* log: speak fim
* log: speak Fim do script
