* The built-in words of SEJA, in either case; PARAMS counts the arguments
* after the script name.
* command: {script} um dois
* log: speak params 2 um dois
* log: speak data 10 3 /
* log: speak hora 8 3 :
* log: speak dia ok
* log: speak crlf 2 #13 #10
* log: speak tempo ok
* log: speak Fim do script
SEJA P params
ESCREVE "params " P
SEJA D data
SEJA T TAMANHO D
SEJA B POS "/" D
COPIA X D 6 6
ESCREVE "data " T " " B " " X
SEJA H Hora
SEJA T TAMANHO H
SEJA B POS ":" H
COPIA X H 6 6
ESCREVE "hora " T " " B " " X
SEJA W DIA
LISTA [dias] CRIA
LISTA [dias] ADICIONA "Domingo"
LISTA [dias] ADICIONA "Segunda"
LISTA [dias] ADICIONA "Terça"
LISTA [dias] ADICIONA "Quarta"
LISTA [dias] ADICIONA "Quinta"
LISTA [dias] ADICIONA "Sexta"
LISTA [dias] ADICIONA "Sábado"
SE W EM [dias] ESCREVE "dia ok"
SEJA R CRLF
SEJA T TAMANHO R
COPIA L R 1 1
SEJA L ASC L
COPIA N R 2 2
SEJA N ASC N
ESCREVE "crlf " T " " L " " N
* TEMPO counts hundredths since the start; speech before it takes program time.
SEJA T tempo
SEJA U tempo
SE T >= 0 SE T < 100000 SE U >= T ESCREVE "tempo ok"
