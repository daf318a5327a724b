* A script of comments, labels and blank lines ends normally.
* screen: Fim do script
* log: title TESSEL
* log: speak Fim do script
* log: exit 0

@INICIO
   * an indented comment
