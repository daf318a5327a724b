* LISTA failures: an existing name says "A lista especificada já existe";
* a missing name, an unknown list or subcommand, a position outside the
* list (the variable unchanged), an item not found and text after the
* operands fail without a message; EM on a missing list is an invalid
* condition.
* command:
* keys: {Enter}LISTA [a] CRIA{Enter}LISTA [a] CRIA{Enter}LISTA CRIA{Enter}
* keys: SEJA V "antes"{Enter}LISTA [a] ITEM 0 V{Enter}LISTA [a] ADICIONA "x"{Enter}
* keys: LISTA [a] ITEM 1 V{Enter}LISTA [a] ITEM -1 V{Enter}ESCREVE V{Enter}LISTA [a] ITEM 0 V{Enter}ESCREVE V{Enter}
* keys: LISTA [a] DELETA "y"{Enter}LISTA [b] TAMANHO V{Enter}LISTA [a] LIMPA{Enter}
* keys: LISTA [a] ADICIONA "p" "q"{Enter}LISTA [a] TAMANHO V{Enter}ESCREVE V{Enter}
* keys: LISTA [a] APAGA{Enter}LISTA [a] APAGA{Enter}SE "x" EM [a] ESCREVE "nunca"{Enter}TERMINA{Enter}
* log: speak A lista especificada já existe
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak antes
* log: speak x
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak 1
* log: speak Erro
* log: speak Erro
* no-log: speak nunca
