* Bytes from texts and from ranges of files build a binary file; CRIABIN
* never overwrites a file.
* file: dez.bin=0123456789
* file: existe.bin=guardado
* keys: {Enter}
* expect-file: saida.bin=ABC89
* expect-file: existe.bin=guardado
* screen: Erro de execução na linha 16
ESCREVEBYTE "ABC"
CRIABIN "saida.bin"
GRAVABYTES
LEBYTE "dez.bin" 8 20
GRAVABYTES
GRAVABYTES
FECHABIN
CRIABIN "existe.bin"
