* The screen review from LE: F6 goes to row 1, column 7, and Ctrl+F1 reads
* the field there, which the ":" ends: Maria, not Nome.
* keys: {Ctrl+Alt+F9}{F6}0107{Ctrl+F1}{Esc}{Enter}
* log: speak Entre linha e coluna
* log: speak Maria
* log: click
* log: beep
* log: beep
* no-log: speak Nome
ESCREVE "Nome: Maria"
LE V
