* RAND draws from a fixed sequence until RANDOMIZA seeds it from the clock.
* log: speak 0 3 86 20 27 67
* log: speak dentro
SEJA A RAND 100
SEJA B RAND 100
SEJA C RAND 100
SEJA D RAND 100
SEJA E RAND "$64"
SEJA F RAND 100
ESCREVE A " " B " " C " " D " " E " " F
RANDOMIZA
SEJA A RAND 6
SE A >= 0 SE A < 6 ESCREVE "dentro"
