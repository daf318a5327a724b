* Without a graphical desktop, typing keys for another program fails aloud.
* keys: {Enter}
* screen-has: Área de trabalho gráfica não disponível.
* log: speak Área de trabalho gráfica não disponível.
* log: speak Erro de execução na linha 
* log: speak 7
DIGITA "texto"
ESCREVE "não chega aqui"
