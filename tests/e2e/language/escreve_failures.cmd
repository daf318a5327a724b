* ESCREVE to a slot that is not open, or "#" without a digit, says
* "Erro no processamento de arquivo"; text left after the operands fails
* the line once the text is written.
* command:
* keys: {Enter}ESCREVE #3 "x"{Enter}ESCREVE #x{Enter}ESCREVE "a" !{Enter}ESCREVE "b"{Enter}TERMINA{Enter}
* log: speak Erro no processamento de arquivo
* log: speak Erro
* log: speak Erro no processamento de arquivo
* log: speak Erro
* log: speak a
* log: speak Erro
* log: speak b
* no-log: speak x
