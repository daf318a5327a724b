* MENU EXECUTA: F1 on the third item gives its position, the function key
* and the item's text. Left does not end the choice: the menu runs again from
* the start position, saying its first item again.
* keys: {Down}{Down}{Left}{Down}{Down}{F1}
* log: speak um
* log: speak dois
* log: speak tres
* log: speak um
* log: speak dois
* log: speak tres
* screen: 3
* screen: #0#59
* screen: tres
* screen: Fim do script
MENU CRIA 1 1 20 4
MENU ADICIONA "um"
MENU ADICIONA "dois"
MENU ADICIONA "tres"
SEJA P 1
MENU EXECUTA P K T
MENU TERMINA
ESCREVE P
ESCREVE K
ESCREVE T
