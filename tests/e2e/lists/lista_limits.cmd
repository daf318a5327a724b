* Twenty lists fit; after APAGA the freed slot takes a new list; the next
* one says "Muitas listas no programa (máximo 20)" and fails.
* keys: {Enter}
* log: speak 20 listas
* log: speak Muitas listas no programa (máximo 20)
* log: speak Erro de execução na linha 
* log: speak 17
REPETE I 20
SEJA C "LISTA [L"
CONCATENA C I
CONCATENA C "] CRIA"
CMD C
FIM REPETE
ESCREVE "20 listas"
LISTA [L5] APAGA
LISTA [X] CRIA
LISTA [Y] CRIA
