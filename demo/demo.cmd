* Demonstração do Tessel: escreve e fala uma saudação.
TITULO "Demonstração"
COR 14
ESCREVE "Bem-vindo ao Tessel!"
COR 15
ESCREVE "Cada linha deste script é escrita e falada."
SEJA A = (6 * 7)
ESCREVE "Seis vezes sete dá " A "."
REPETE I 3
  ESCREVE "Contando: " I
FIM REPETE
ESCREVE "Até logo."
ESCREVE "Aperte Enter para terminar."
LE
