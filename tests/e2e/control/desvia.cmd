* DESVIA to a label (compared upper-cased), to the value of an operand,
* and into another script at a label, keeping the variables.
* file: outro.cmd=ESCREVE "nunca"\n@Segunda\nESCREVE "segunda " N\nDESVIA SCRIPT "terceiro.cmd"
* file: terceiro.cmd=ESCREVE "terceiro " N
* log: speak n 3
* log: speak destino
* log: speak segunda 3
* log: speak terceiro 3
* log: speak Fim do script
* no-log: speak nunca
SEJA N 0
@VOLTA
SOMA N 1
SE N < 3 DESVIA @volta
ESCREVE "n " N
SEJA R "Destino"
DESVIA R
ESCREVE "nunca"
@DESTINO
ESCREVE "destino"
DESVIA SCRIPT "outro.cmd" @SEGUNDA
ESCREVE "nunca"
