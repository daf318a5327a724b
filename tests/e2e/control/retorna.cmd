* RETORNA without CHAMA says "Retorno sem chamada"; RETORNA with an
* argument, and CHAMA to a missing label or with a blank in the label,
* fail.
* command:
* keys: {Enter}RETORNA{Enter}RETORNA x{Enter}CHAMA @NADA{Enter}CHAMA @A B{Enter}CHAMA{Enter}TERMINA{Enter}
* log: speak Retorno sem chamada
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak Erro
* log: speak Erro
