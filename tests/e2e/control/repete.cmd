* REPETE runs its body with the variable from 1 to the limit and leaves
* the limit + 1 in it; a limit below 1 skips the body and leaves 1; the
* limit is read again on every pass; text after the limit is ignored.
* log: speak i 1
* log: speak i 2
* log: speak i 3
* log: speak depois 4
* log: speak j 1
* log: speak k 1
* log: speak k 2
* log: speak k 3
* log: speak k 4
* log: speak k depois 5
* log: speak n 3
* log: speak Fim do script
* no-log: speak nunca
REPETE I 3
ESCREVE "i " I
FIM REPETE
ESCREVE "depois " I
REPETE J 0
ESCREVE "nunca"
FIM REPETE
ESCREVE "j " J
SEJA L 2
REPETE K L
ESCREVE "k " K
SEJA L 4
fim repete
ESCREVE "k depois " K
REPETE $N "2" isto é ignorado
FIM REPETE
ESCREVE "n " $N
