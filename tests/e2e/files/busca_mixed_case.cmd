* BUSCA lists the files matching a pattern in any letter case, one at a
* time, in name order, without hidden files or folders; BUSCA DIR lists the
* folders; PROXIMO after the last entry gives the empty text.
* file: Busca/Beta.TXT=b
* file: Busca/alfa.txt=a
* file: Busca/GAMA.txt=g
* file: Busca/nota.doc=n
* file: Busca/.oculto.txt=o
* file: Busca/Sub/x.txt=x
* screen: alfa.txt
* screen: Beta.TXT
* screen: GAMA.txt
* screen: [.]
* screen: [..]
* screen: [Sub]
* screen: fim []
* screen: nada []
BUSCA N "busca\*.TXT"
ENQUANTO N <> ""
ESCREVE N
BUSCA N PROXIMO
FIM ENQUANTO
BUSCA N DIR "BUSCA\*"
ENQUANTO N <> ""
ESCREVE "[" N "]"
BUSCA N PRÓXIMO
FIM ENQUANTO
BUSCA N "busca\*.txt"
BUSCA N FIM
BUSCA N PROXIMO
ESCREVE "fim [" N "]"
BUSCA N "busca\*.pdf"
ESCREVE "nada [" N "]"
TERMINA MUDO
