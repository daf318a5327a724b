* The one-line SE runs its command only when true; a block word as its
* command is refused (single-line mode), in any case, but a false one-line
* SE never looks at its command. Invalid conditions fail.
* command:
* keys: {Enter}SE 1 = 1 ESCREVE "sim"{Enter}SE 1 = 2 ESCREVE "nunca"{Enter}
* keys: SE 1 = 1 FIM SE{Enter}SE 1 = 1 REPETE I 3{Enter}SE 1 = 1 ENQUANTO 1 = 1{Enter}
* keys: se 1 = 1 senão{Enter}SE 1 = 1 SENAO{Enter}SE 1 = 2 FIM SE{Enter}ESCREVE "passou"{Enter}
* keys: SE{Enter}SE 1{Enter}SE 1 ?? 2{Enter}SE 1 ={Enter}SE NÃO{Enter}SE "x" EM [nenhuma]{Enter}
* keys: SE 1 = 1 SE 2 = 2 ESCREVE "dois niveis"{Enter}TERMINA{Enter}
* log: speak sim
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak passou
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak dois niveis
* no-log: speak nunca
