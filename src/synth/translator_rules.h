// translator_rules: the letter-to-sound stage of the diphone translator.
//
// A text becomes a phoneme string, one bracketed group per word:
// "casa" -> "[k/A/ z/a^]". Accented letters are first written as the plain
// letter followed by a mark (acute ', grave `, circumflex ^, tilde ~,
// diaeresis "); each word then goes through the exceptions table (whole-word
// respellings), gets its stressed vowel upper-cased, and is rewritten by the
// context rules of the rules file. Words without vowels, and signs, are read
// letter by letter: "[ /_b]".
//
// Rules file: one rule a line, left(match)right=output, fields cut to 5, 5,
// 5 and 11 characters. Exceptions file: word=respelling lines, in lower case
// with the marks as above.
#pragma once
#include <string>

namespace synth {

bool LoadTranslatorRules(const std::string& file_name);
bool LoadTranslatorExceptions(const std::string& file_name);
void FreeTranslatorRules();

// Text (Latin-1) to phoneme string.
std::string TextToPhonemes(const std::string& text);

// --- stages, for tests -----------------------------------------------------------

// Accented letters to letter + mark, W/Y next to letters to u/i, control
// bytes dropped.
std::string PrepareText(const std::string& text);
// Upper-cases the stressed vowel of a lower-case word (with marks), when it
// carries no explicit accent.
std::string MarkStress(const std::string& word);
// The exceptions step alone: the respelling, with the removed "s"/"m" endings
// put back; the word itself when it has no entry.
std::string ApplyTranslatorExceptions(const std::string& word);

}  // namespace synth
