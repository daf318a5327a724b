* DIR CRIAR followed by a name is no subcommand: it fails without a message
* and creates nothing.
* keys: {Enter}
* screen: Erro de execução na linha 5
DIR CRIAR "Outra"
