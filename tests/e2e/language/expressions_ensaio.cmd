* Ensaio computes the same expressions in 32 bits: they wrap around.
* program: ensaio
* command:
* file: e.cmd=SEJA M 2147483647\nESCREVE (M + 1) " " (65536 * 65536) " " (7 / -2)
* keys: e.cmd{Enter}
* log: speak -2147483648 0 -3
* log: speak O script ja terminou.
