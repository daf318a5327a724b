* Without a graphical desktop TRANSFERE uses the console's clipboard, and
* HANDLE gives 0 (the console has no window on a desktop).
* keys: {Enter}
* screen: Olá, área
* screen: 0
* screen: Erro de execução na linha 13
SEJA V = "Olá, área"
TRANSFERE DE V
TRANSFERE PARA W
ESCREVE W
HANDLE H
ESCREVE H
TRANSFERE V
