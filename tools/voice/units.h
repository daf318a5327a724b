// units: the unit inventory of the voice, made to fit the phoneme strings
// that data/voice/regras.rgr writes.
//
// Phoneme symbols of the rules, and the units that say them:
//   vowels   a e i o u; after "^" closed (a^ is the a of "cama", e^ of
//            "ele", o^ of "novo"), after "~" nasal; plain e and o are open
//   glides   w y (after a vowel: a diphthong unit, "$AW", "$EYCIRC", "$AWTIL")
//   onsets   p b t d k g f v s z m n l r (tap), x (as in "chá"), j (as in
//            "já"), rr (strong r), nh, lh, dj, tch, kw, gw, w, y, and the
//            clusters pR bR tR dR kR gR fR vR pL bL kL gL fL tL
// A unit is named "$" + its symbols upper-cased, with "CIRC" or "TIL" for the
// mark: "$KA", "$PRACIRC", "$NHATIL". Every onset with every vowel, every
// vowel with every glide, and every symbol alone are recorded, so a missing
// unit can always be split into recorded ones.
#pragma once
#include <string>
#include <vector>

namespace voice {

struct UnitSpec {
  std::string name;      // "$KA"
  std::string phonemes;  // what espeak-ng says: "[[k'a]]"
};

std::vector<UnitSpec> UnitInventory();

}  // namespace voice
