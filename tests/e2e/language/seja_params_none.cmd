* PARAMS with only the script name gives 0.
* log: speak 0
SEJA P PARAMS
ESCREVE P
