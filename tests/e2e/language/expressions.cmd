* Parenthesised integer expressions: precedence, unary minus, truncating
* division, hexadecimal variables, 64-bit results in Tessel, an unreadable
* last operand skipped; division by zero is said and fails the line.
* keys: {Enter}
* log: speak -10 -3 -3 17 21
* log: speak 2147483648 4611686014132420609 1 -2147483648
* log: speak Divisão por zero
* log: speak Erro de execução na linha 
* log: speak 17
* screen-has: Divisão por zero
* screen-has: Erro de execução na linha 17
SEJA A "x10"
SEJA B "$F"
ESCREVE (2 + 3 * -4) " " (7 / -2) " " (-7/2) " " (A + 1) " " ((b + 6) * 1)
SEJA M 2147483647
ESCREVE (M + 1) " " (M * M) " " (1 +) " " (2147483648)
ESCREVE (1 / (M - M))
ESCREVE "nunca"
