* LE TECLA gives the Shift, Ctrl and Alt state that came with each key.
* keys: {Enter}{Ctrl+Up}A{Alt+X}
* screen: 000#13
* screen: 010#0#113
* screen: 100#65
* screen: 001#0#45
* screen: Fim do script
LE TECLA K
ESCREVE K
LE TECLA K
ESCREVE K
LE TECLA K
ESCREVE K
LE TECLA K
ESCREVE K
