// The diphone translator and its letter-to-sound stage: text preparation,
// stress, exceptions, the rule contexts, the project's own rules, segments,
// units and their splitting, cuts, pauses and images.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <string>
#include <utility>
#include <vector>

#include "speech_support.h"
#include "synth/diphone_translator.h"
#include "synth/translator_rules.h"

namespace {

using speech_support::TinyUnit;
using speech_support::ReadSourceFile;
using speech_support::VoiceFolder;

TEST(TranslatorText, AccentsBecomeMarksAndWYBecomeVowels) {
  struct Case { std::string text, prepared; };
  const Case cases[] = {
      {"Wagner", "uagner"},
      {"a W b", "a W b"},
      {"Maya", "Maia"},
      {"d'\xE1gua", "da'gua"},
      {"D'Ajuda", "DAjuda"},
      {"o'clock", "o'clock"},
      {"cora\xE7\xE3o", "corassa~o"},
      {"\xC1RVORE", "a'RVORE"},
      {"p\xEAssego", "pe^ssego"},
      {"ping\xFCim", "pinguim"},
      {"\x81", "u\""},
      {"\xE0s", "a`s"},
      {"a\tb\r\n", "ab"},
      {"\xF0", " \x01 "},
      {"\xAB", "\xAA"},
      // The ordinals and the degree sign stay, to be said by name.
      {"\xAA", "\xAA"},
      {"\xBA", "\xBA"},
      {"\xB0", "\xB0"},
      {"\xD7", "x"},
  };
  for (const Case& c : cases) EXPECT_EQ(synth::PrepareText(c.text), c.prepared) << c.text;
}

TEST(TranslatorText, StressFallsOnTheVowelTheEndingAsksFor) {
  struct Case { const char* word; const char* marked; };
  const Case cases[] = {
      {"casa", "cAsa"},     {"casas", "cAsas"},   {"amigo", "amIgo"},   {"ali", "alI"},
      {"tatu", "tatU"},     {"parque", "pArque"}, {"lua", "lUa"},       {"jardim", "jardIm"},
      {"homem", "hOmem"},   {"falam", "fAlam"},   {"papel", "papEl"},   {"amor", "amOr"},
      {"rainha", "raInha"}, {"ainda", "aInda"},   {"aqui", "aquI"},     {"caqui", "caquI"},
      {"uva", "Uva"},       {"ela", "Ela"},       {"bom", "bOm"},       {"pai", "pAi"},
  };
  for (const Case& c : cases) EXPECT_EQ(synth::MarkStress(c.word), c.marked) << c.word;
}

// Rules that write each letter as itself, so the other steps show.
const char kIdentityRules[] =
    "(A)=a|\n(B)=b|\n(C)=c|\n(D)=d|\n(E)=e|\n(G)=g|\n(I)=i|\n(K)=k|\n(M)=m|\n(N)=n|\n(O)=o|\n(R)=r|\n"
    "(S)=s|\n(T)=t|\n(U)=u|\n(Z)=z|\n(')=|\n";

TEST(TranslatorExceptions, EndingsInSAndMFindTheirStem) {
  VoiceFolder voice({}, {}, kIdentityRules, "casa=kaza\nbem=bEN\n\nsom=so~\n");
  ASSERT_EQ(synth::TranslatorOpen(), 0);
  struct Case { const char* word; const char* respelled; };
  const Case cases[] = {
      {"casa", "kaza"}, {"casas", "kazas"}, {"casam", "kazam"}, {"casass", "kazass"},
      {"cas", "cas"},   {"bem", "bEN"},     {"soms", "so~s"},   {"outra", "outra"},
  };
  for (const Case& c : cases) EXPECT_EQ(synth::ApplyTranslatorExceptions(c.word), c.respelled) << c.word;
  // Stress is marked on the respelling; the rules see it.
  EXPECT_EQ(synth::TextToPhonemes("casas"), "[k/A/z/a/s]");
  synth::TranslatorClose();
}

TEST(TranslatorPhonemes, WordsLettersAndSigns) {
  VoiceFolder voice({}, {}, kIdentityRules, "");
  ASSERT_EQ(synth::TranslatorOpen(), 0);
  struct Case { const char* text; const char* phonemes; };
  const Case cases[] = {
      {"BR", "[ /_b][ /_r]"},
      {"casa", "[c/A/s/a]"},
      {"Casa  boa", "[c/A/s/a][b/O/a]"},
      {"ca'", "[c/a/]"},
      {"xz", "[ /_x][ /_z]"},
      {"!", "[ /_!]"},
      {"\xF0", "[ /_\x01]"},
      {"uhf", "[u/ /_H/ /_F]"},
  };
  for (const Case& c : cases) EXPECT_EQ(synth::TextToPhonemes(c.text), c.phonemes) << c.text;
  synth::TranslatorClose();
}

TEST(TranslatorRules, ContextSymbols) {
  struct Case { const char* rule; const char* word; const char* phonemes; };
  const Case cases[] = {
      // Right context.
      {"(A)#=1|", "ae", "[1/ /_E]"},
      {"(A)#=1|", "ab", "[ /_A/ /_B]"},
      {"(A)#B=1|", "aeiob", "[1/ /_E/ /_I/ /_O/ /_B]"},
      {"(B)%=1|", "ab", "[ /_A/1]"},
      {"(A)&=1|", "al", "[1/ /_L]"},
      {"(A)*=1|", "ar", "[ /_A/ /_R]"},
      {"(A)*=1|", "at", "[1/ /_T]"},
      {"(A)+B=1|", "ae'b", "[1/ /_E/ /_'/ /_B]"},
      {"(A)[=1|", "a", "[1]"},
      {"(A)[=1|", "ah", "[ /_A/ /_H]"},
      {"(A)\\B=1|", "asb", "[1/ /_S/ /_B]"},
      {"(A)\\B=1|", "ab", "[1/ /_B]"},
      // Left context.
      {"#(B)=1|", "aeb", "[ /_A/ /_E/1]"},
      {"%#(B)=1|", "aeb", "[ /_A/ /_E/1]"},
      {"%(A)=1|", "aa", "[1/ /_A]"},
      {"](B)=1|", "ob", "[ /_O/1]"},
      {"](B)=1|", "o~b", "[ /_O/ /_~/1]"},
      {"](B)=1|", "eb", "[ /_E/ /_B]"},
      {"_(B)=1|", "ba", "[1/ /_A]"},
      {"_(B)=1|", "ib", "[ /_I/1]"},
      {"_(B)=1|", "kba", "[ /_K/ /_B/ /_A]"},
      {"|(B)=1|", "nba", "[ /_N/1/ /_A]"},
      {"K(B)=1|", "kba", "[ /_K/1/ /_A]"},
      // The first rule that holds wins; a longer match consumes more.
      {"(AB)=1|\n(A)=2|", "ab", "[1]"},
      {"(A)B=1|\n(A)=2|", "ac", "[2/ /_C]"},
      // A stressed vowel upper-cases the first vowel of the output.
      {"(A)=xa|", "casa", "[ /_C/xA/ /_S/xa]"},
  };
  for (const Case& c : cases) {
    VoiceFolder voice({}, {}, c.rule, "");
    ASSERT_EQ(synth::TranslatorOpen(), 0);
    EXPECT_EQ(synth::TextToPhonemes(c.word), c.phonemes) << c.rule << " / " << c.word;
    synth::TranslatorClose();
  }
}

TEST(TranslatorRules, UnusableLinesAreNoRules) {
  VoiceFolder voice({}, {}, "; a (comment)=x\nno rule here\n()=x|\n(\x80)=x|\n(A=x|\n(A)x\n(A)=1|\n", "");
  ASSERT_EQ(synth::TranslatorOpen(), 0);
  EXPECT_EQ(synth::TextToPhonemes("a"), "[1]");
  synth::TranslatorClose();
}


// The project's rules: each syllable ends at a blank, and the phonemes are
// those of Brazilian Portuguese.
TEST(VoiceRules, BrazilianPortugueseSyllables) {
  VoiceFolder voice({}, {}, ReadSourceFile("data/voice/regras.rgr"), ReadSourceFile("data/voice/portug.exc"));
  ASSERT_EQ(synth::TranslatorOpen(), 0);
  struct Case { const char* text; const char* phonemes; };
  const Case cases[] = {
      {"casa", "[k/A /z/a^]"},
      {"casas", "[k/A /z/a^/s ]"},
      {"amigo", "[a /m/I /g/u]"},
      {"quando", "[kw/A~ /d/u]"},
      {"p\xE3o", "[p/A~w ]"},
      {"m\xE3" "e", "[m/A~y ]"},
      {"bem", "[b/e~y]"},
      {"sim", "[s/i~]"},
      {"tia", "[tch/I/a^]"},
      {"cidade", "[s/i /d/A /dj/i]"},
      {"carro", "[k/A /rr/u]"},
      {"caro", "[k/A /r/u]"},
      {"rato", "[rr/A /t/u]"},
      {"prato", "[p/R/A /t/u]"},
      {"filho", "[f/I /lh/u]"},
      {"chave", "[x/A /v/i]"},
      {"sal", "[s/A/w ]"},
      {"escola", "[i /s /k/O /l/a^]"},
      {"script", "[s /k/R/i /pi /tchi]"},
      {"porta", "[p/O /r /t/a^]"},
      {"URL", "[U /r /l]"},
      {"ang\xFAstia", "[a~ /gU /s /tch/i/a^]"},
      {"caf\xE9", "[k/a /f/E ]"},
      {"ela", "[E /l/a^]"},
      {"e", "[i]"},
      {"o", "[u]"},
      {"guerra", "[g/E /rr/a^]"},
      {"\xE1gua", "[A /gw/a^]"},
      {"pai", "[p/A/y ]"},
      {"praia", "[p/R/A/ y/a^]"},
      {"BR", "[ /_b][ /_r]"},
      // An i after the silent u of qu/gu is nasal before n or m.
      {"quinta", "[k/I~ /t/a^]"},
      {"quinze", "[k/I~ /z/i]"},
      {"seguinte", "[s/e^ /g/I~ /tch/i]"},
      {"pinguim", "[p/i~ /gw/I~ ]"},
      // A circumflex e before n and a consonant is nasal.
      {"ci\xEAncia", "[s/i/E~ /s/i/a^]"},
      {"frequ\xEAncia", "[f/R/e^ /kw/E~ /s/i/a^]"},
      // The stressed e of the demonstratives, closed in esse/este, open in
      // essa/esta; their plurals alike.
      {"esse", "[E^ /s/i]"},
      {"este", "[E^ /s /tch/i]"},
      {"essa", "[E /s/a^]"},
      {"esta", "[E /s /t/a^]"},
      {"estes", "[E^ /s /tch/i/s ]"},
      // "ainda": a, then the stressed nasal i, in syllables of their own.
      {"ainda", "[A I~ /d/a^]"},
      {"d'\xE1gua", "[d/A /gw/a^]"},
      // The degree sign and the ordinals are said by name.
      {"\xB0", "[ /_\xB0]"},
      {"\xAA", "[ /_\xAA]"},
      {"\xBA", "[ /_\xBA]"},
  };
  for (const Case& c : cases) EXPECT_EQ(synth::TextToPhonemes(c.text), c.phonemes) << c.text;
  synth::TranslatorClose();
}

// --- the diphone translator ---------------------------------------------------------

struct Lookup {
  std::string unit;
  synth::UnitOutcome outcome;
  bool operator==(const Lookup& other) const { return unit == other.unit && outcome == other.outcome; }
};

std::ostream& operator<<(std::ostream& out, const Lookup& lookup) {
  return out << lookup.unit << ":" << static_cast<int>(lookup.outcome);
}

// Runs phonemes through the translator; the look-ups and the images' sizes.
class TranslatorRun {
 public:
  TranslatorRun() {
    synth::SetUnitObserver([this](const std::string& unit, synth::UnitOutcome outcome, int) {
      lookups.push_back({unit, outcome});
    });
    synth::SetImageSink([this](const uint8_t* image, size_t size) {
      images.push_back(std::vector<uint8_t>(image + 44, image + size));
    });
  }
  ~TranslatorRun() {
    synth::SetUnitObserver(nullptr);
    synth::SetImageSink(nullptr);
  }
  std::vector<size_t> Sizes() const {
    std::vector<size_t> sizes;
    for (const auto& image : images) sizes.push_back(image.size());
    return sizes;
  }
  std::vector<Lookup> lookups;
  std::vector<std::vector<uint8_t>> images;
};

using Outcome = synth::UnitOutcome;

const std::vector<TinyUnit> kUnits = {
    {"$A", 100, 10},      {"$ACIRC", 110, 11}, {"$K", 50, 12},     {"$KA", 200, 20},   {"$NN", 60, 13},
    {"$S", 70, 14},       {"$ZA", 300, 30},    {"$AY", 120, 15},   {"$PA", 180, 16},   {"$AWTIL", 90, 17},
    {"$PACIRC", 170, 18}, {"$BIGA", 40000, 40},
};

TEST(DiphoneTranslator, MissingFilesGiveTheirCodes) {
  {
    VoiceFolder voice({}, kUnits, "", "");
    std::filesystem::remove(voice.folder().path() / "difones" / "DIFONES2.IND");
    EXPECT_EQ(synth::TranslatorOpen(), 1);
  }
  {
    VoiceFolder voice({}, kUnits, "", "");
    std::filesystem::remove(voice.folder().path() / "difones" / "portug.exc");
    EXPECT_EQ(synth::TranslatorOpen(), 2);
  }
  {
    VoiceFolder voice({}, kUnits, "", "");
    EXPECT_EQ(synth::TranslatorOpen(), 0);
    synth::TranslatorClose();
  }
}

TEST(DiphoneTranslator, SegmentsUnitsAndTheirSplitting) {
  struct Case {
    const char* phonemes;
    std::vector<Lookup> lookups;
    size_t bytes;  // of sound, cut 0, gap 0
  };
  const Case cases[] = {
      {"[k/A/ z/a]", {{"$KA", Outcome::Found}, {"$ZA", Outcome::Found}}, 500},
      // Four one-letter phonemes are one segment: said whole, or by splitting
      // off the last vowel.
      {"[k/a/z/a]",
       {{"$KAZA", Outcome::Split}, {"$KAZ", Outcome::Silent}, {"$A", Outcome::Found}},
       100},
      // Two consonants: the first is said alone.
      {"[sk/a]", {{"$S", Outcome::Found}, {"$KA", Outcome::Found}}, 270},
      // A final consonant is said alone; a final s after the rest at 0.7.
      {"[kas]", {{"$KA", Outcome::Found}, {"$S", Outcome::Found}}, 270},
      {"[as]", {{"$A", Outcome::Found}, {"$S", Outcome::Found}}, 70 + 70},
      // A diphthong: the syllable at 0.6, then vowel and glide.
      {"[p/a/y]", {{"$PA", Outcome::Found}, {"$AY", Outcome::Found}}, 108 + 120},
      // A nasal diphthong: the syllable closed at 0.6, then "$AWTIL".
      {"[p/a/~/w]", {{"$PACIRC", Outcome::Found}, {"$AWTIL", Outcome::Found}}, 102 + 90},
      // A missing nasal vowel: the closed vowel, then the nasal murmur.
      {"[k/a~]",
       {{"$KATIL", Outcome::Split}, {"$KACIRC", Outcome::Split}, {"$K", Outcome::Found},
        {"$ACIRC", Outcome::Found}, {"$NN", Outcome::Found}},
       40 + 99 + 54},
      // A missing unit of one or two characters is noise.
      {"[q]", {{"$Q", Outcome::Noise}}, 300},
      // A letter by name, and a comma's pause (no sound file).
      {"[ /_b]", {{"_98", Outcome::Found}}, 100},
      {"[ /_,]", {}, 4000},
      {"[ /_.][ /_;][ /_:]", {}, 8000 + 6000 + 8000},
      // A long run of one-letter phonemes ends its segment after 9 of them.
      {"[a/a/a/a/a/a/a/a/a/a/a]",
       {{"$AAAAAAAAA", Outcome::Split}, {"$AAAAAAAA", Outcome::Split}, {"$AAAAAAA", Outcome::Split},
        {"$AAAAAA", Outcome::Split}, {"$AAAAA", Outcome::Split}, {"$AAAA", Outcome::Split},
        {"$AAA", Outcome::Split}, {"$AA", Outcome::Split}, {"$A", Outcome::Found}, {"$A", Outcome::Found},
        {"$A", Outcome::Found}, {"$A", Outcome::Found}, {"$A", Outcome::Found}, {"$A", Outcome::Found},
        {"$A", Outcome::Found}, {"$A", Outcome::Found}, {"$A", Outcome::Found}, {"$AA", Outcome::Split},
        {"$A", Outcome::Found}, {"$A", Outcome::Found}},
       0},
  };
  for (const Case& c : cases) {
    VoiceFolder voice({"_98"}, kUnits, "", "");
    ASSERT_EQ(synth::TranslatorOpen(), 0);
    synth::SetTranslatorTiming(0, 0, 0);
    TranslatorRun run;
    synth::SayPhonemes(c.phonemes);
    EXPECT_EQ(run.lookups, c.lookups) << c.phonemes;
    if (c.bytes > 0) {
      size_t total = 0;
      for (size_t size : run.Sizes()) total += size;
      EXPECT_EQ(total, c.bytes) << c.phonemes;
    }
    synth::TranslatorClose();
  }
}

TEST(DiphoneTranslator, UnstressedUnitsLoseTheCut) {
  struct Case { int cut, floor; const char* phonemes; size_t bytes; };
  const Case cases[] = {
      {50, 0, "[k/a]", 150},        // unstressed: cut
      {50, 0, "[k/A]", 200},        // stressed: whole
      {50, 0, "[a]", 100},          // two characters: never cut
      {500, 80, "[k/a]", 80},       // cut beyond the length: the floor
      {500, 300, "[k/a]", 200},     // ... or all of it when shorter
      {50, 0, "[k/A/ k/a]", 200 + 150},
  };
  for (const Case& c : cases) {
    VoiceFolder voice({}, kUnits, "", "");
    ASSERT_EQ(synth::TranslatorOpen(), 0);
    synth::SetTranslatorTiming(c.cut, c.floor, 0);
    TranslatorRun run;
    synth::SayPhonemes(c.phonemes);
    EXPECT_EQ(run.Sizes(), std::vector<size_t>{c.bytes}) << c.phonemes << " cut " << c.cut;
    synth::TranslatorClose();
  }
}

// A unit said shorter than recorded (the cut, the 0.6/0.7/0.9 factors) fades
// to silence over its last 66 samples; a unit said whole is left as it is.
TEST(DiphoneTranslator, UnitsCutShortFadeOut) {
  struct Case { int cut; const char* phonemes; bool faded; };
  const Case cases[] = {
      {50, "[k/a]", true},    // the cut
      {0, "[p/a/y]", true},   // $PA at 0.6, then $AY
      {0, "[k/A]", false},    // whole
  };
  for (const Case& c : cases) {
    VoiceFolder voice({}, kUnits, "", "");
    ASSERT_EQ(synth::TranslatorOpen(), 0);
    synth::SetTranslatorTiming(c.cut, 0, 0);
    TranslatorRun run;
    synth::SayPhonemes(c.phonemes);
    ASSERT_EQ(run.images.size(), 1u) << c.phonemes;
    const std::vector<uint8_t>& samples = run.images[0];
    // The first unit's end: where its value (below silence) stops.
    const uint8_t value = samples[0];
    size_t end = 0;
    while (end < samples.size() && samples[end] != 128 && (end == 0 || samples[end] <= samples[end - 1] + 2)) ++end;
    if (c.faded) {
      ASSERT_GE(end, 66u) << c.phonemes;
      EXPECT_EQ(samples[end - 66], value) << c.phonemes;  // the fade begins at the full value ...
      EXPECT_GT(samples[end - 1], value) << c.phonemes;  // ... and rises towards silence
      for (size_t i = end - 65; i < end; ++i) EXPECT_GE(samples[i], samples[i - 1]) << c.phonemes << " at " << i;
    } else {
      EXPECT_EQ(samples.back(), value) << c.phonemes;
    }
    synth::TranslatorClose();
  }
}

TEST(DiphoneTranslator, WordsAreSeparatedByTheGap) {
  VoiceFolder voice({}, kUnits, "", "");
  ASSERT_EQ(synth::TranslatorOpen(), 0);
  synth::SetTranslatorTiming(0, 0, 250);
  TranslatorRun run;
  synth::SayPhonemes("[k/a][k/a]");
  ASSERT_EQ(run.images.size(), 1u);
  // 200 + 200 (gaps count in whole blocks of 100 bytes of silence).
  EXPECT_EQ(run.images[0].size(), 600u);
  EXPECT_EQ(run.images[0][200], 128);
  EXPECT_EQ(run.images[0][399], 128);
  EXPECT_EQ(run.images[0][400], 20);
  synth::TranslatorClose();
}

TEST(DiphoneTranslator, LongSpeechIsPlayedInSeveralImages) {
  VoiceFolder voice({}, kUnits, "", "");
  ASSERT_EQ(synth::TranslatorOpen(), 0);
  synth::SetTranslatorTiming(0, 0, 0);
  TranslatorRun run;
  synth::SayPhonemes("[b/i/g/a][b/i/g/a][k/a]");
  EXPECT_EQ(run.Sizes(), (std::vector<size_t>{40000, 40000 + 200}));
  synth::TranslatorClose();
}

// Any text and any phoneme string, however odd, is said without harm.
TEST(DiphoneTranslator, OddInputIsSaidWithoutHarm) {
  VoiceFolder voice({"_98"}, kUnits, ReadSourceFile("data/voice/regras.rgr"),
                    ReadSourceFile("data/voice/portug.exc"));
  ASSERT_EQ(synth::TranslatorOpen(), 0);
  synth::SetTranslatorTiming(5000, 100, 250);
  TranslatorRun run;
  uint32_t seed = 1;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 24;
  };
  const std::string symbols = "[]/_| ~^aeiouAEIOUwyptkrsnhRL,.;:$";
  for (int i = 0; i < 3000; ++i) {
    std::string text, phonemes;
    size_t length = next() % 80;
    for (size_t j = 0; j < length; ++j) {
      text += static_cast<char>(1 + next() % 255);
      phonemes += symbols[next() % symbols.size()];
    }
    synth::SayPhonemes(synth::TextToPhonemes(text));
    synth::SayPhonemes(phonemes);
  }
  synth::SayPhonemes(std::string(300, 'a'));
  synth::SayPhonemes("_");
  synth::SayPhonemes("[");
  synth::SayPhonemes("^w");
  synth::SayPhonemes("[~y]");
  EXPECT_FALSE(run.images.empty());
  synth::TranslatorClose();
}

}  // namespace
