* The screen review's F6 takes two digits of the row and two of the column;
* Ctrl+K says where the review cursor is. A letter instead of a digit beeps
* twice and moves nothing.
* keys: {Ctrl+Alt+F9}{F6}1205{Ctrl+K}{F6}1x{Ctrl+K}{Esc}{Enter}
* log: speak Entre linha e coluna
* log: speak 12 5
* log: speak Entre linha e coluna
* log: beep
* log: beep
* log: speak 12 5
LE V
