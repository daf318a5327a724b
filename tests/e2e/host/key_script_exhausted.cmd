* Waiting for a key with no key script left ends the program with code 3.
* exit: 3
* stderr-has: tessel: key script exhausted
* log: exit 3
FOO
