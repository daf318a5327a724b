* CMD runs the value of its operand as one line; comments do nothing,
* block words are refused, text after the operand fails, and a CMD that
* runs itself stops with "Muitos comandos encadeados".
* command:
* keys: {Enter}CMD "ESCREVE ""dentro"""{Enter}SEJA L "FIM SE"{Enter}CMD L{Enter}
* keys: CMD "* nada"{Enter}SEJA R "CMD R"{Enter}CMD R{Enter}CMD "ESCREVE 1" x{Enter}
* keys: CMD "escreve ""fim"""{Enter}TERMINA{Enter}
* log: speak dentro
* log: speak Erro
* log: speak Muitos comandos encadeados
* log: speak Erro
* log: speak Erro
* log: speak fim
* no-log: speak 1
