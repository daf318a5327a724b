#include "units.h"

#include <algorithm>
#include <cstring>

namespace voice {
namespace {

struct Sound {
  const char* symbol;  // as the rules write it
  const char* espeak;  // espeak-ng's phoneme for it
};

const Sound kOnsets[] = {
    {"p", "p"},     {"b", "b"},     {"t", "t"},     {"d", "d"},     {"k", "k"},     {"g", "g"},
    {"f", "f"},     {"v", "v"},     {"s", "s"},     {"z", "z"},     {"x", "S"},     {"j", "Z"},
    {"m", "m"},     {"n", "n"},     {"l", "l"},     {"r", "*"},     {"rr", "x"},    {"nh", "n^"},
    {"lh", "l^"},   {"dj", "dZ"},   {"tch", "tS"},  {"kw", "kw"},   {"gw", "gw"},   {"w", "w"},
    {"y", "j"},     {"pR", "p*"},   {"bR", "b*"},   {"tR", "t*"},   {"dR", "d*"},   {"kR", "k*"},
    {"gR", "g*"},   {"fR", "f*"},   {"vR", "v*"},   {"pL", "pl"},   {"bL", "bl"},   {"kL", "kl"},
    {"gL", "gl"},   {"fL", "fl"},   {"tL", "tl"},
};

struct Vowel {
  char letter;
  const char* mark;    // "", "CIRC" or "TIL"
  const char* espeak;
};

const Vowel kVowels[] = {
    {'a', "", "a"}, {'a', "CIRC", "&"}, {'a', "TIL", "&~"},
    {'e', "", "E"}, {'e', "CIRC", "e"}, {'e', "TIL", "e~"},
    {'i', "", "i"}, {'i', "CIRC", "i"}, {'i', "TIL", "i~"},
    {'o', "", "O"}, {'o', "CIRC", "o"}, {'o', "TIL", "o~"},
    {'u', "", "u"}, {'u', "CIRC", "u"}, {'u', "TIL", "u~"},
};

// Vowel + glide, by mark: the name's letters, and espeak-ng's phonemes.
struct Diphthong {
  const char* letters;
  const char* plain;
  const char* closed;
  const char* nasal;
};

const Diphthong kDiphthongs[] = {
    {"AY", "aI", "&I", "&~j"}, {"AW", "aU", "&U", "&U~"}, {"EY", "EI", "eI", "e~j"}, {"EW", "EU", "eU", "e~w"},
    {"IY", "i", "i", "i~"},    {"IW", "iU", "iU", "i~w"}, {"OY", "OI", "oI", "o~j"}, {"OW", "OU", "o", "o~w"},
    {"UY", "uI", "uI", "u~j"}, {"UW", "u", "u", "u~"},
};

// Longest unit name the index holds.
constexpr size_t kLongestName = 8;

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

// Adds a unit; false (and nothing added) when its name is too long.
bool Add(std::vector<UnitSpec>& units, const std::string& name, const std::string& phonemes, UnitCut cut,
         bool stop = false) {
  if (name.size() > kLongestName) return false;
  units.push_back({name, "[[" + phonemes + "]]", cut, stop, ""});
  return true;
}

bool IsStop(const char* espeak) { return std::strchr("pbtdkg", espeak[0]) != nullptr; }

// The manner of an onset, by espeak-ng's symbol for it.
std::string Manner(const std::string& espeak) {
  if (espeak == "tS" || espeak == "dZ") return "affricate";
  if (espeak.size() == 2 && (espeak[1] == '*' || espeak[1] == 'l')) return "cluster";
  if (std::strchr("pbtdkg", espeak[0])) return "stop";
  if (std::strchr("fvszSZx", espeak[0])) return "fricative";
  if (std::strchr("mnN", espeak[0])) return "nasal";
  if (std::strchr("l*r", espeak[0])) return "liquid";
  return "glide";
}

}  // namespace

std::vector<UnitSpec> UnitInventory() {
  std::vector<UnitSpec> units;
  for (const Vowel& vowel : kVowels) {
    std::string v = Upper(std::string(1, vowel.letter)) + vowel.mark;
    if (Add(units, "$" + v, std::string("'") + vowel.espeak + "ta", UnitCut::Vowel))
      units.back().kind = "vowel";
    for (const Sound& onset : kOnsets) {
      if (Add(units, "$" + Upper(onset.symbol) + v, std::string("a") + onset.espeak + "'" + vowel.espeak + "ta",
          UnitCut::OnsetVowel, IsStop(onset.espeak)))
        units.back().kind = Manner(onset.espeak) + " + vowel";
    }
  }
  for (const Diphthong& d : kDiphthongs) {
    if (Add(units, std::string("$") + d.letters, std::string("p'") + d.plain, UnitCut::Diphthong))
      units.back().kind = "diphthong";
    if (Add(units, std::string("$") + d.letters + "CIRC", std::string("p'") + d.closed, UnitCut::Diphthong))
      units.back().kind = "diphthong";
    if (Add(units, std::string("$") + d.letters + "TIL", std::string("p'") + d.nasal, UnitCut::Diphthong))
      units.back().kind = "diphthong";
  }
  // Every symbol alone: a consonant (a coda, or split off a cluster), and the
  // nasal murmur "$NN" that ends a nasal vowel said in parts.
  for (const Sound& onset : kOnsets)
    if (std::string(onset.symbol) != "r") {
      if (Add(units, "$" + Upper(onset.symbol), std::string("p'a") + onset.espeak, UnitCut::Consonant,
          IsStop(onset.espeak)))
        units.back().kind = Manner(onset.espeak) + " alone";
    }
  Add(units, "$R", "p'ar", UnitCut::Consonant);  // alone, r ends a syllable: not the tap
  units.back().kind = "liquid alone";
  if (Add(units, "$NN", "p'&~N", UnitCut::Consonant))
    units.back().kind = "nasal alone";
  std::sort(units.begin(), units.end(), [](const UnitSpec& a, const UnitSpec& b) { return a.name < b.name; });
  units.erase(std::unique(units.begin(), units.end(),
                          [](const UnitSpec& a, const UnitSpec& b) { return a.name == b.name; }),
              units.end());
  return units;
}

}  // namespace voice
