* ENQUANTO re-reads its condition on every pass; a false one skips to the
* first FIM ENQUANTO below; FIM ENQUANTO goes back to the nearest ENQUANTO
* above it, so an enclosing ENQUANTO whose FIM follows an inner loop is
* never read again (here it could not even be read).
* log: speak 1
* log: speak 2
* log: speak 3
* log: speak depois 3
* log: speak interno 1
* log: speak interno 2
* log: speak externo 12
* log: speak externo 22
* log: speak externo 32
* log: speak fim 32
* log: speak Fim do script
* no-log: speak nunca
SEJA I 0
ENQUANTO I < 3 isto é ignorado
SOMA I 1
ESCREVE I
FIM ENQUANTO
ESCREVE "depois " I
ENQUANTO I > 3
ESCREVE "nunca"
FIM ENQUANTO
SEJA I 0
DESVIA @CORPO
ENQUANTO isto não é uma condição
@CORPO
ENQUANTO I < 2
SOMA I 1
ESCREVE "interno " I
FIM ENQUANTO
SOMA I 10
ESCREVE "externo " I
SE I > 30 DESVIA @FIM
FIM ENQUANTO
@FIM
ESCREVE "fim " I
