// assignment: SEJA with its built-in values and functions, RANDOMIZA.
#pragma once
#include <cstdint>
#include <string>

namespace interp {

// SEJA target [=] value
bool CmdSeja(const std::string& arguments);
// RANDOMIZA: seeds the random numbers from the clock.
bool CmdRandomiza(const std::string& arguments);

// Program start: takes the reference time of TEMPO and sets the random seed
// to 0, so a script that never calls RANDOMIZA draws the same numbers on
// every run.
void AssignmentInit();

// One draw of the generator: 0 to n - 1 (n - 1 to 0 for a negative n).
int32_t NextRandom(int32_t n);

// The value of a SEJA function applied to its operands (tests): `word` is
// one of TAMANHO, MAIUSC, TRIM, POS, RAND, PALAVRA, CHR, ASC; `second` is
// used by POS and PALAVRA. False when the function fails.
bool ApplyFunction(const std::string& word, const std::string& first, const std::string& second,
                   std::string& value);

}  // namespace interp
