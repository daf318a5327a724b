* Ctrl+Break ends the program at once with exit code 255.
* keys: {Break}
* exit: 255
* log: exit 255
FOO
