* A start label that is not in the script.
* command: {script}@NADA
* screen: Este rótulo não existe !
* log: speak Este rótulo não existe !
TERMINA
