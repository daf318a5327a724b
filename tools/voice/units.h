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
//
// Each unit is cut out of a carrier word at the points where its neighbours
// take over, so that units said one after the other join as in one word:
//   onset + vowel   "a" + onset + stressed vowel + "ta": from where the onset
//                   begins (20 ms of a stop's closure) to where the vowel
//                   dies into the closure of the t
//   vowel           stressed vowel + "ta": from its start to that closure
//   vowel + glide   "p" + stressed diphthong: from the steady middle of the
//                   vowel (where a syllable said at 0.6 hands over) to its end
//   consonant       "pa" + consonant: the consonant to its end
#pragma once
#include <string>
#include <vector>

namespace voice {

enum class UnitCut { OnsetVowel, Vowel, Diphthong, Consonant };

struct UnitSpec {
  std::string name;      // "$KA"
  std::string phonemes;  // the carrier espeak-ng says: "[[ak'ata]]"
  UnitCut cut = UnitCut::OnsetVowel;
  bool stop = false;     // begins with a stop's closure
  std::string kind;      // its phoneme class ("stop + vowel", "vowel"...):
                         // units of a class are levelled together
};

std::vector<UnitSpec> UnitInventory();

}  // namespace voice
