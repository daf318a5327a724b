// The speech interface: the settings of the speaking path, the own speaking
// path (digits as number words, words through the diphone translator, signs
// by name, pauses), and the recorded sounds every part of the system uses.
//
// Map: module state; settings and start-up; waiting and stopping; recorded
// sounds; Speak and its helpers; console helpers.
#include "speech/speech.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/media.h"
#include "platform/settings.h"
#include "platform/text.h"
#include "speech/espeak_voice.h"
#include "speech/number_words.h"
#include "speech/settings.h"
#include "speech/wav_player.h"
#include "synth/diphone_translator.h"
#include "synth/translator_rules.h"

namespace speech {
namespace {

constexpr int kClickBytes = 256;
constexpr int kBeepBytes = 512;
// Runs of letters longer than this are cut before they reach the translator.
constexpr size_t kLongestRun = 999;
const char kDefaultLettersFolder[] = "c:\\tarsel\\som\\letras\\";

struct State {
  std::string message_folder;   // ends in a separator once set
  std::string letters_folder;   // ends in a separator once set
  int speed_level = 3;
  int pause_period = 250;       // ms after ". "
  int pause_comma = 150;        // ms after ", " or "- "
  int pause_colon = 200;        // ms after "(", ")", ":" or ";"
  bool engine_active = false;   // no external engine is built yet
  int engine_type = 4;
  bool pending = true;          // engine text nobody has waited for
  bool stop = false;            // ends a running own-path Speak
  bool echo = true;             // the line editor says each character typed
  bool say_punctuation = true;  // [TRADUTOR] PONTUACAO: signs are said in running text
  uint8_t click[kWavHeaderBytes + kClickBytes] = {};
  bool click_made = false;
};

State& S() {
  static State state;
  return state;
}

// The click: 64 bytes of soft noise, then silence.
void MakeClick() {
  State& s = S();
  if (s.click_made) return;
  uint32_t seed = 0x2545F491u;
  for (int i = 0; i < kClickBytes; ++i) {
    seed = seed * 1103515245u + 12345u;
    s.click[kWavHeaderBytes + i] = static_cast<uint8_t>(i < 64 ? 128 + (seed >> 16) % 60 : 128);
  }
  s.click_made = true;
}

bool KeyWaiting() { return console::KeyPressed(); }

bool EndsWithSeparator(const std::string& folder) {
  return !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
}

// A relative folder is taken from the current folder now, so a later change
// of folder by a script does not lose the voice.
std::string Anchored(std::string folder) {
  if (folder.empty()) return folder;
  bool absolute = folder[0] == '/' || folder[0] == '\\' || (folder.size() >= 2 && folder[1] == ':');
  if (!absolute) folder = platform::files::CurrentDirectory() + "/" + folder;
  if (!EndsWithSeparator(folder)) folder += '\\';
  return folder;
}

// A numeric setting: decimal digits after optional blanks and sign; `fallback`
// when it is not a number.
int NumberSetting(const std::string& value, int fallback) {
  const char* text = value.c_str();
  char* end = nullptr;
  long number = std::strtol(text, &end, 10);
  if (end == text) return fallback;
  if (number > 1000000) number = 1000000;
  if (number < -1000000) number = -1000000;
  return static_cast<int>(number);
}

// A flag key: on when not empty and not starting with "N".
bool FlagSetting(const std::string& value) { return !value.empty() && UpperCasePt(value[0]) != 'N'; }

std::string Synthesizer(const std::string& key) {
  return ReadSetting("SINTETIZADOR", key + std::to_string(S().speed_level));
}

std::string Trimmed(const std::string& text) {
  size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return {};
  return text.substr(start, text.find_last_not_of(' ') - start + 1);
}

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 128; }
bool IsWordCharacter(unsigned char c) { return IsLetter(c) || c == ' '; }

// The apostrophe of an elided "de" ("d'\xE1gua") belongs to its word.
bool ElidedD(const std::string& text, size_t at) {
  return text[at] == '\'' && at > 0 && (text[at - 1] == 'd' || text[at - 1] == 'D') && at + 1 < text.size() &&
         IsLetter(static_cast<unsigned char>(text[at + 1]));
}

// Signs that [TRADUTOR] PONTUACAO=NAO leaves unsaid in running text.
bool IsPunctuationSign(unsigned char c) {
  return c != '\0' && (std::strchr(".,;:!?()\"'-", c) != nullptr || c == 0x85 || (c >= 0x91 && c <= 0x94) ||
                       c == 0xA1 || c == 0xAB || c == 0xBB || c == 0xBF);
}

// Says a sign and pauses after it (`text` begins with the sign).
void PunctuationPause(const std::string& text) {
  State& s = S();
  if (KeyWaiting()) return;
  WaitWhileSpeaking();
  char sign = text[0];
  bool space_follows = text.size() > 1 && text[1] == ' ';
  if (s.say_punctuation) SayLetter(sign);
  int pause = 0;
  if (sign == '(' || sign == ')' || sign == ':' || sign == ';') pause = s.pause_colon;
  else if ((sign == ',' || sign == '-') && space_follows) pause = s.pause_comma;
  else if (sign == '.' && space_follows) pause = s.pause_period;
  if (pause > 0) InterruptiblePause(pause);
}

// Plays an 8-bit mono 11025 Hz sound made in memory and waits for it,
// without compression or fast playback.
void PlayPlainImage(uint8_t* image, size_t data_bytes) {
  bool compression = Compression();
  SetCompression(false);
  BuildWavHeader(image, static_cast<uint32_t>(data_bytes), 11025, 1, 8);
  PlayWavImage(image, kWavHeaderBytes + data_bytes);
  WaitWhileSpeaking();
  SetCompression(compression);
}

// MIRANE.INI names a voice: its folders or its database.
bool VoiceNamed() {
  for (const char* key : {"DIRDIFONES", "DIRLETRAS"})
    if (platform::ProfileKeyExists("MIRANE.INI", "TRADUTOR", key)) return true;
  return !Synthesizer("DIFONES").empty();
}

// The voice could not be opened: the two lines are written and said with
// espeak-ng, then Enter ends the program.
[[noreturn]] void MissingVoice(int code) {
  const std::string lines[] = {"Erro de inicializa\xE7\xE3o: " + std::to_string(code),
                               "Banco de dados de voz: " + synth::TranslatorDatabase()};
  for (const std::string& line : lines) console::ConsoleWrite(line + "\r\n");
  for (const std::string& line : lines)
    if (!KeyWaiting()) SayWithEspeak(line);
  while (console::ReadKey() != '\r') {
  }
  console::CloseConsole();
}

}  // namespace

// --- settings and start-up -------------------------------------------------------

void LoadSpeedLevel(int level) {
  State& s = S();
  s.speed_level = level;
  std::string database = Synthesizer("DIFONES").substr(0, 8);
  if (!database.empty()) synth::SetTranslatorDatabase(database);
  synth::SetTranslatorTiming(NumberSetting(Synthesizer("CORTEFON"), 0), NumberSetting(Synthesizer("SOBRAFON"), 0),
                             NumberSetting(Synthesizer("INTERPAL"), 0));
  SetFastPlayback(FlagSetting(Synthesizer("RAPIDINHO")));
  SetCompression(FlagSetting(Synthesizer("CORTAFALA")));
  s.pause_period = NumberSetting(Synthesizer("PAUSAPONTO"), 250);
  s.pause_comma = NumberSetting(Synthesizer("PAUSAVIRG"), 150);
  s.pause_colon = NumberSetting(Synthesizer("PAUSADOISPONTOS"), 200);
}

int SpeedLevel() { return S().speed_level; }
bool EchoTyped() { return S().echo; }
void SetEchoTyped(bool on) { S().echo = on; }
const std::string& MessageFolder() { return S().message_folder; }

EngineRequest ReadEngineRequest() {
  EngineRequest request;
  request.wanted = FlagSetting(ReadSetting("TRADUTOR", "SAPI"));
  if (!request.wanted) return request;
  request.voice = NumberSetting(ReadSetting("SERVFALA", "VOZ"), 0);
  request.rate = NumberSetting(ReadSetting("SERVFALA", "VELOCIDADE"), 0);
  request.pitch = NumberSetting(ReadSetting("SERVFALA", "TOM"), 0);
  request.type = NumberSetting(ReadSetting("SERVFALA", "TIPOSAPI"), 0);
  if (request.type != 4 && request.rate > 10) request.rate = 0;
  return request;
}

void SpeechInit(int level, const std::string& message_folder) {
  State& s = S();
  MakeClick();
  WavPlayerStart();
  if (level <= 0) level = NumberSetting(ReadSetting("TRADUTOR", "VELOCIDADE"), 0);
  if (level <= 0 || level > 5) level = 3;
  LoadSpeedLevel(level);

  int code = synth::TranslatorOpen();
  if (code != 0) {
    // The reason also goes to standard error, where the person installing
    // Tessel looks.
    std::fprintf(stderr, "tessel: Erro de inicializa\xC3\xA7\xC3\xA3o: %d\ntessel: Banco de dados de voz: %s\n", code,
                 platform::Latin1ToUtf8(synth::TranslatorDatabase()).c_str());
    synth::TranslatorClose();
    // A voice the settings name and that cannot be opened ends the program,
    // said aloud; with no voice named at all, scripts still run (silently).
    if (VoiceNamed()) MissingVoice(code);
  }

  s.message_folder = message_folder;
  if (!s.message_folder.empty() && !EndsWithSeparator(s.message_folder)) s.message_folder += '\\';
  s.letters_folder =
      Anchored(VoiceFolderSetting("DIRLETRAS", kDefaultLettersFolder, "letras", 255));

  std::string punctuation = ReadSetting("TRADUTOR", "PONTUACAO");
  s.say_punctuation = punctuation.empty() || UpperCasePt(punctuation[0]) != 'N';
  // What the console must tell the user is written and said.
  console::SetNoticeHandler([](const std::string& notice) { WriteLineSpeak(notice); });

  s.engine_active = false;
  EngineRequest engine = ReadEngineRequest();
  if (engine.wanted) s.engine_type = engine.type;  // no engine is built: the own path speaks
}

void SpeechEnd() {
  State& s = S();
  WaitWhileSpeaking();
  StopSpeech();
  s.engine_active = false;
  synth::TranslatorClose();
  platform::media::CloseAll();
  WavPlayerEnd();
}

// --- waiting and stopping --------------------------------------------------------

bool IsSpeaking() {
  if (KeyWaiting()) {
    StopSpeech();
    return false;
  }
  return WavBusy();
}

void StopSpeech() {
  WavStop();
  S().stop = true;
  platform::Event wake;
  wake.type = platform::EventType::Wake;
  wake.param = 1123;
  platform::PostEvent(wake);
}

bool StopRequested() { return S().stop; }

void WaitWhileSpeaking() {
  while (IsSpeaking()) console::WaitMessage();
}

bool EngineActive() { return S().engine_active; }

void WaitPendingSpeech() {
  State& s = S();
  if (!s.pending) return;
  WaitWhileSpeaking();
  s.pending = false;
}

void InterruptiblePause(int ms) {
  for (int step = 0; step < ms / 50; ++step)
    if (!KeyWaiting()) console::Delay(50);
}

// --- recorded sounds -------------------------------------------------------------

void SayLetter(char c) {
  WaitPendingSpeech();
  PlayWavFile(synth::TranslatorLettersFolder() + "_" + std::to_string(static_cast<unsigned char>(c)) + ".wav");
}

void Spell(std::string_view text) {
  platform::LogEvent("spell", text);
  for (char c : text) {
    if (KeyWaiting()) return;
    SayLetter(c);
  }
}

namespace {
std::string MessagePath(const std::string& key) {
  const State& s = S();
  return (!key.empty() && key[0] == '_' ? s.letters_folder : s.message_folder) + key + ".wav";
}
}  // namespace

void PlayMessage(const std::string& key) {
  WaitPendingSpeech();
  PlayWavFile(MessagePath(key));
}

bool MessageExists(const std::string& key) {
  if (key.empty()) return false;
  std::string path = MessagePath(key);
  return platform::files::Exists(path) && !platform::files::IsDirectory(path);
}

void PlaySoundImage(const uint8_t* image, size_t size) {
  WaitPendingSpeech();
  if (KeyWaiting()) return;
  if (size >= kWavHeaderBytes) {
    platform::LogEvent("sound", std::to_string(size - kWavHeaderBytes) + " " +
                                    std::to_string(image[24] | (image[25] << 8) | (image[26] << 16)) + " " +
                                    std::to_string(image[34]) + " " + std::to_string(image[22]));
  }
  PlayWavImage(image, size);
  WaitWhileSpeaking();
}

void PlayClick() {
  State& s = S();
  WaitPendingSpeech();
  MakeClick();
  platform::LogEvent("click");
  PlayPlainImage(s.click, kClickBytes);
}

void PlayBeep() {
  WaitPendingSpeech();
  console::KeyPressed();  // takes in what has been typed
  console::FlushKeys();
  platform::LogEvent("beep");
  static const uint8_t kPattern[] = {128, 112, 96, 80, 64, 80, 96, 112};
  uint8_t beep[kWavHeaderBytes + kBeepBytes];
  for (int i = 0; i < kBeepBytes; ++i) beep[kWavHeaderBytes + i] = kPattern[i % 8];
  beep[kWavHeaderBytes + kBeepBytes - 1] = 128;
  PlayPlainImage(beep, kBeepBytes);
}

void PlayDtmf(std::string_view text) {
  bool fast = FastPlayback();
  SetFastPlayback(false);
  for (char c : text) {
    char key = UpperCasePt(c);
    if ((key >= '0' && key <= '9') || key == '#' || key == '*') {
      if (key == '*') key = 'X';
      PlayWavFile(synth::TranslatorLettersFolder() + "dtmf_" + key + ".wav");
      WaitWhileSpeaking();
      InterruptiblePause(100);
    } else if (key == ',') {
      InterruptiblePause(1000);
    }
  }
  SetFastPlayback(fast);
}

void PlayTone(int hz, int ms) {
  WaitPendingSpeech();
  platform::LogEvent("tone", std::to_string(hz) + " " + std::to_string(ms));
  if (ms <= 0 || KeyWaiting()) return;
  // A square wave, as a PC speaker sounds, at a rate above twice the
  // highest frequency a script may ask for.
  constexpr int kRate = 44100;
  std::vector<uint8_t> samples(static_cast<size_t>(static_cast<int64_t>(kRate) * ms / 1000), 128);
  if (hz > 0) {
    for (size_t i = 0; i < samples.size(); ++i) {
      int64_t half_periods = static_cast<int64_t>(i) * hz * 2 / kRate;
      samples[i] = half_periods % 2 == 0 ? 160 : 96;
    }
  }
  bool compression = Compression(), fast = FastPlayback();
  SetCompression(false);
  SetFastPlayback(false);
  PlayPcm(samples.data(), samples.size(), kRate, 1, 8);
  WaitWhileSpeaking();
  SetCompression(compression);
  SetFastPlayback(fast);
}

// --- Speak -------------------------------------------------------------------------

void Speak(std::string_view view) {
  State& s = S();
  platform::LogEvent("speak", view);
  std::string text(view);
  text += ' ';
  s.stop = false;
  char last_sign = ' ';
  int repeats = 0;
  size_t at = 0;
  while (!s.stop && at < text.size()) {
    if (KeyWaiting()) {
      StopSpeech();
      return;
    }
    while (at < text.size() && text[at] == '0') {
      PlayMessage("_zero");
      ++at;
    }
    if (at >= text.size()) break;
    unsigned char c = static_cast<unsigned char>(text[at]);
    if (c >= '1' && c <= '9') {
      // A run of digits and "-": a number of up to six digits is said in
      // words, anything else digit by digit.
      size_t end = at;
      while (end < text.size() && (IsDigit(static_cast<unsigned char>(text[end])) || text[end] == '-')) ++end;
      std::string run = text.substr(at, end - at);
      if (run.find('-') == std::string::npos && run.size() < 7) SayWords(NumberToWords(std::stoull(run)), false);
      else Spell(run);
      at = end;
      continue;
    }
    if (IsWordCharacter(c)) {
      size_t end = at;
      while (end < text.size() && (IsWordCharacter(static_cast<unsigned char>(text[end])) || ElidedD(text, end)))
        ++end;
      std::string run = text.substr(at, end - at);
      std::string word = Trimmed(run);
      if (UpperCasePt(word) == "WWW") Spell(word);
      else synth::SayPhonemes(synth::TextToPhonemes(run.substr(0, kLongestRun)));
      at = end;
      // The hyphen inside a hyphenated word is not said.
      if (at + 1 < text.size() && text[at] == '-' && IsLetter(static_cast<unsigned char>(text[at + 1]))) ++at;
      continue;
    }
    // Any other sign.
    char sign = static_cast<char>(c);
    if (sign == last_sign) {
      if (++repeats > 3) {
        PlayClick();
        sign = ' ';
      }
    } else {
      last_sign = sign;
      repeats = 0;
    }
    std::string rest = text.substr(at);
    if (sign == '-') {
      char next = rest.size() < 3 ? ' ' : rest[1];
      if (next == ' ' || next == '-') PunctuationPause(rest);
      else if (IsDigit(static_cast<unsigned char>(next))) PlayMessage("_MENOS");
      else if (s.say_punctuation) SayLetter('-');
    } else if (rest.compare(0, 3, "://") == 0) {
      SayLetter(':');
    } else if (sign == ' ' || sign == '\t') {
      // nothing
    } else if (sign == '(' || sign == ')' || sign == ',' || sign == '.' || sign == ':' || sign == ';') {
      PunctuationPause(rest);
    } else if (!s.say_punctuation && IsPunctuationSign(c)) {
      // Not said; a sentence's end still pauses.
      if ((sign == '!' || sign == '?') && rest.size() > 1 && rest[1] == ' ' && !KeyWaiting()) {
        WaitWhileSpeaking();
        InterruptiblePause(s.pause_period);
      }
    } else if (!KeyWaiting()) {
      SayLetter(sign);
    }
    ++at;
  }
}

// --- console helpers ---------------------------------------------------------------

void WriteSpeak(std::string_view text) {
  console::ConsoleWrite(text);
  Speak(text);
}

void WriteLineSpeak(std::string_view text) {
  WriteSpeak(text);
  console::ConsoleWrite("\r\n");
}

void WriteSpeakNumber(long number) { WriteSpeak(std::to_string(number)); }

char ReadKeySay() {
  char key = static_cast<char>(console::ReadKey());
  StopSpeech();
  SayLetter(key);
  return key;
}

}  // namespace speech
