* Every Latin-1 letter goes to UTF-8 (the file written from the variable
* holds the UTF-8 bytes) and comes back unchanged; UTF-8 text of a letter
* the code page lacks becomes its nearest letter.
* expect-file: utf8.txt=ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞßàáâãäåæçèéêëìíîïðñòóôõöøùúûüýþÿŠŒŽšœžŸ
* file: nome.txt=Łódź
* screen: volta igual
* screen: Lódz
SEJA T "ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞßàáâãäåæçèéêëìíîïðñòóôõöøùúûüýþÿŠŒŽšœžŸ"
SEJA U T
ANSIPARAUTF8 T
ESCREVEBYTE T
CRIABIN "utf8.txt"
GRAVABYTES
FECHABIN
UTF8PARAANSI T
SE T == U
ESCREVE "volta igual"
FIM SE
ABRE #1 "nome.txt"
LE #1 N
UTF8PARAANSI N
ESCREVE N
TERMINA MUDO
