// The keyboard queue: PC key bytes, Alt codes, the full queue, Braille chords
// and signs, mode changes, and the plain line input.
#include <gtest/gtest.h>

#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "platform/keyscript.h"
#include "test_support.h"

namespace {

using test_support::HeadlessConsole;

using test_support::Type;

std::vector<int> Drain() {
  std::vector<int> bytes;
  while (console::QueuedKeys() > 0) bytes.push_back(console::ReadKey());
  return bytes;
}

TEST(KeyboardCodes, KeysGiveTheirBytes) {
  struct Case { const char* keys; std::vector<int> bytes; };
  const Case cases[] = {
      {"{F1}", {0, 59}},          {"{Ctrl+F1}", {0, 94}},     {"{F10}", {0, 68}},
      {"{F12}", {0, 70}},         {"{Ctrl+F12}", {0, 105}},   {"{Shift+Ins}", {0, 254}},
      {"{Ctrl+Ins}", {0, 255}},   {"{Ins}", {0, 82}},         {"{Ctrl+Del}", {0, 83}},
      {"{Home}", {0, 71}},        {"{Ctrl+Home}", {0, 119}},  {"{End}", {0, 79}},
      {"{Ctrl+End}", {0, 117}},   {"{PgUp}", {0, 73}},        {"{Ctrl+PgUp}", {0, 132}},
      {"{PgDn}", {0, 81}},        {"{Ctrl+PgDn}", {0, 118}},  {"{Up}", {0, 72}},
      {"{Ctrl+Up}", {0, 113}},    {"{Down}", {0, 80}},        {"{Ctrl+Down}", {0, 114}},
      {"{Left}", {0, 75}},        {"{Ctrl+Left}", {0, 115}},  {"{Right}", {0, 77}},
      {"{Ctrl+Right}", {0, 116}}, {"{Enter}", {13}},          {"{Ctrl+Enter}", {10}},
      {"{Backspace}", {8}},       {"{Ctrl+Backspace}", {127}}, {"{Esc}", {27}},
      {"{Tab}", {9}},             {"a", {97}},                {"A", {65}},
      {"{Ctrl+\\}", {28}},        {"{Ctrl+[}", {27}},         {"{Ctrl+]}", {29}},
      {"\xC3\xA9", {233}},        {"{Ctrl+A}", {1}},          {"{{", {'{'}},
      {"{Alt+A}", {0, 30}},       {"{Alt+Z}", {0, 44}},       {"{Alt+M}", {0, 50}},
      {"{Alt+1}", {0, 120}},      {"{Alt+9}", {0, 128}},      {"{Alt+0}", {0, 129}},
      {"{Ctrl+Alt+Q}", {0, 16}},  {"{Alt+Left}", {0, 75}},    {"{Alt+F4}", {}},
  };
  for (const Case& c : cases) {
    HeadlessConsole headless;
    Type(c.keys);
    EXPECT_EQ(Drain(), c.bytes) << c.keys;
  }
}

TEST(KeyboardQueue, SixtyFifthCharacterIsDropped) {
  HeadlessConsole headless;
  Type(std::string(65, 'x'));
  EXPECT_EQ(console::QueuedKeys(), 64);
}

TEST(KeyboardQueue, ExtendedKeyNeedsTwoFreePlaces) {
  HeadlessConsole headless;
  Type(std::string(62, 'x') + "{F1}");
  EXPECT_EQ(console::QueuedKeys(), 64);
  console::FlushKeys();
  Type(std::string(63, 'x') + "{F1}");
  EXPECT_EQ(console::QueuedKeys(), 63);
  console::FlushKeys();
  Type(std::string(63, 'x') + "{Alt+B}");
  EXPECT_EQ(console::QueuedKeys(), 63);
}

class Braille : public testing::Test {
 protected:
  void SetMode(int mode) {
    console::EnsureWindow();
    console::SetBrailleMode(mode);
  }
  HeadlessConsole headless_;
};

// A chord: press every key, then release them all.
std::string Chord(const std::string& keys) {
  std::string script;
  for (char key : keys) script += std::string("{Down:") + (key == ' ' ? std::string("Space") : std::string(1, key)) + "}";
  for (char key : keys) script += std::string("{Up:") + (key == ' ' ? std::string("Space") : std::string(1, key)) + "}";
  return script;
}

TEST_F(Braille, ModeOneChords) {
  SetMode(1);
  Type(Chord("FD"));  // dots 1 2
  Type(Chord(" F"));  // space with dot 1: Ctrl+A
  Type(Chord(" "));   // space alone: a blank
  Type(Chord("SJKL"));  // dots 3 4 5 6: "#" delivered as itself in mode 1
  EXPECT_EQ(Drain(), (std::vector<int>{'b', 1, ' ', '#'}));
}

TEST_F(Braille, ChordCompletesOnlyWhenAllKeysAreUp) {
  SetMode(1);
  Type("{Down:F}{Down:D}{Up:F}");
  EXPECT_EQ(console::QueuedKeys(), 0);
  Type("{Up:D}");
  EXPECT_EQ(Drain(), std::vector<int>{'b'});
}

TEST_F(Braille, TypedLettersAndBlanksAreIgnored) {
  SetMode(1);
  // A letter that is not a chord key, released with no chord held, gives a blank.
  Type("q");
  EXPECT_EQ(Drain(), std::vector<int>{' '});
  Type("{Down:Ctrl+F}{Up:Ctrl+F}");  // with Ctrl the key is not a chord key:
  Type("1");                         // it types its control code; digits as usual
  EXPECT_EQ(Drain(), (std::vector<int>{6, '1'}));
}

TEST_F(Braille, ModeTwoSigns) {
  SetMode(2);
  Type(Chord("SJKL") + Chord("F") + Chord("FD") + Chord("K") + Chord("F"));  // # a b ~ a
  EXPECT_EQ(Drain(), (std::vector<int>{'1', '2', '~', 'a'}));
  Type(Chord("JL") + Chord("F") + Chord("F"));  // { a a: one capital
  EXPECT_EQ(Drain(), (std::vector<int>{'A', 'a'}));
  Type(Chord("JL") + Chord("JL") + Chord("F") + Chord("FD"));  // { { a b: capital lock
  EXPECT_EQ(Drain(), (std::vector<int>{'A', 'B'}));
  Type(Chord(" ") + Chord("F"));  // a blank chord ends the lock
  EXPECT_EQ(Drain(), (std::vector<int>{' ', 'a'}));
  Type(Chord("SJKL") + Chord("D"));  // number mode: ' becomes . ... "," (dot 2) stays
  EXPECT_EQ(Drain(), (std::vector<int>{','}));
}

TEST_F(Braille, ModeCyclingAndTones) {
  Type("{Ctrl+Alt+F11}");
  EXPECT_EQ(console::BrailleMode(), 1);
  Type("{Ctrl+Alt+F11}");
  EXPECT_EQ(console::BrailleMode(), 2);
  Type("{Ctrl+Alt+F11}");
  EXPECT_EQ(console::BrailleMode(), 1);
  Type("{Ctrl+Alt+F12}");
  EXPECT_EQ(console::BrailleMode(), 0);
  EXPECT_EQ(console::QueuedKeys(), 0);
}

TEST_F(Braille, ShiftedAliasesOfTheModeKeys) {
  // Ctrl+Alt+F11 and F12 never reach an X program; with Shift they do.
  Type("{Ctrl+Alt+Shift+F11}");
  EXPECT_EQ(console::BrailleMode(), 1);
  Type("{Ctrl+Alt+Shift+F11}");
  EXPECT_EQ(console::BrailleMode(), 2);
  Type("{Ctrl+Alt+Shift+F12}");
  EXPECT_EQ(console::BrailleMode(), 0);
  EXPECT_EQ(console::QueuedKeys(), 0);
}

TEST_F(Braille, AltLetterReleaseIsNoChord) {
  SetMode(1);
  Type("{Alt+F}{Alt+X}");
  EXPECT_EQ(Drain(), (std::vector<int>{0, 33, 0, 45}));
  // Alt let go before the letter: its release is still no chord.
  Type("{Down:Alt+D}{Up:D}");
  EXPECT_EQ(Drain(), (std::vector<int>{0, 32}));
  Type(Chord("FD"));  // chords go on as before
  EXPECT_EQ(Drain(), std::vector<int>{'b'});
}

TEST_F(Braille, ToneDurationsPassInProgramTime) {
  int64_t before = platform::NowMs();
  SetMode(2);  // 800 Hz then 400 Hz, 200 ms each
  EXPECT_GE(platform::NowMs() - before, 400);
  before = platform::NowMs();
  SetMode(0);  // 100 Hz for 200 ms
  EXPECT_GE(platform::NowMs() - before, 200);
  before = platform::NowMs();
  SetMode(0);  // already off: silent
  EXPECT_EQ(platform::NowMs() - before, 0);
}

TEST(KeyboardLineInput, PlainLineRules) {
  HeadlessConsole headless;
  // F1 gives 0 59: the 0 is ignored and 59 is ";". Esc does nothing.
  Type("ab{F1}{Esc}c{Backspace}d{Enter}");
  EXPECT_EQ(console::ReadLinePlain(), "ab;d");
}

TEST(KeyboardLineInput, TakesAtMost126Characters) {
  HeadlessConsole headless;
  // More keys than the queue holds: the key script releases them as the
  // line input waits.
  headless.folder().Write("keys", std::string(130, 'x') + "{Enter}");
  setenv("TESSEL_KEYS", (headless.folder().path() / "keys").c_str(), 1);
  EXPECT_EQ(console::ReadLinePlain(), std::string(126, 'x'));
  unsetenv("TESSEL_KEYS");
}

}  // namespace
