* LISTA: create, add, count, read by position from 0, delete the first
* item equal ignoring case, test membership with EM; names keep their case
* ([Nomes] and [NOMES] are two lists); a deleted list can be made again.
* log: speak tamanho 0
* log: speak tamanho 3
* log: speak itens abc ABC
* log: speak depois Ana 2
* log: speak ana está
* log: speak abc está
* log: speak outra 0
* log: speak x não está
* log: speak de novo 0
* log: speak Fim do script
LISTA [Nomes] CRIA
LISTA [Nomes] TAMANHO T
ESCREVE "tamanho " T
LISTA [Nomes] ADICIONA "abc"
LISTA [Nomes] ADICIONA "Ana"
lista [Nomes] adiciona "ABC"
LISTA [Nomes] TAMANHO T
ESCREVE "tamanho " T
LISTA [Nomes] ITEM 0 A
LISTA [Nomes] ITEM (1 + 1) B
ESCREVE "itens " A " " B
LISTA [Nomes] DELETA "ABC"
LISTA [Nomes] ITEM 0 C
LISTA [Nomes] TAMANHO T
ESCREVE "depois " C " " T
SE "ana" EM [Nomes] ESCREVE "ana está"
SE "abc" EM [Nomes] ESCREVE "abc está"
LISTA [NOMES] CRIA
LISTA [NOMES] TAMANHO U
ESCREVE "outra " U
LISTA [Vazia] CRIA
SE NÃO "x" EM [Vazia] ESCREVE "x não está"
LISTA [Nomes] APAGA
LISTA [Nomes] CRIA
LISTA [Nomes] TAMANHO T
ESCREVE "de novo " T
