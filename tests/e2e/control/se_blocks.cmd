* Block SE: a false SE skips to its own FIM SE, counting the block SEs
* nested in it (not one-line SEs, nor SEs whose condition is invalid at
* that moment), or stops at its SENÃO; a SENÃO reached from the true
* branch goes on after the first FIM SE below it, even a nested one. A
* block whose FIM SE is missing ends the run normally.
* log: speak senão 1
* log: speak depois 1
* log: speak verdade
* log: speak surpresa
* log: speak depois 2
* log: speak aparece
* log: speak depois 3
* log: speak depois 4
* log: speak Fim do script
* no-log: speak nunca
SEJA A 1
SE A = 2
  ESCREVE "nunca"
  SE A = 1
    ESCREVE "nunca"
  SENÃO
    ESCREVE "nunca"
  FIM SE
  SE A = 1 ESCREVE "nunca"
  ESCREVE "nunca"
SENÃO
  ESCREVE "senão 1"
FIM SE
ESCREVE "depois 1"
SE A = 1
  ESCREVE "verdade"
senao
  SE A = 1
    ESCREVE "nunca"
  FIM SE
  ESCREVE "surpresa"
FIM SE
ESCREVE "depois 2"
SEJA B "abc"
SE A = 2
  SE (B + 1) = 1
    ESCREVE "nunca"
  FIM SE
  ESCREVE "aparece"
FIM SE
ESCREVE "depois 3"
LISTA [nomes] CRIA
SE A = 2
  SE "x" EM [nomes]
    ESCREVE "nunca"
  fim  se
  ESCREVE "nunca"
FIM SE
ESCREVE "depois 4"
SE A <> 1
  ESCREVE "nunca"
