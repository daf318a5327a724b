// speech: the one way every part of the system makes itself heard.
//
// Every operation runs on the program thread and returns when its sound has
// been heard, or as soon as a key is pressed, which silences whatever plays
// and stays queued for the next read. Texts are Latin-1.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace speech {

// Reads the speech settings and opens the speaking path. `level` 0 takes
// [TRADUTOR] VELOCIDADE (levels outside 1-5 give 3); `message_folder` holds
// the program's recorded messages. When the voice cannot be opened the
// program goes on without it, after saying why on standard error.
void SpeechInit(int level, const std::string& message_folder);
// Waits until silent, stops and closes the speaking path.
void SpeechEnd();
// Reads the [SINTETIZADOR] keys of one speed level and puts them in force.
void LoadSpeedLevel(int level);
int SpeedLevel();
const std::string& MessageFolder();

// Speaks a text. With the own speaking path it returns when the text has
// been said (or a key was pressed); callers that must wait for an engine use
// WaitWhileSpeaking.
void Speak(std::string_view text);
// Says each character by its name; a key press ends it.
void Spell(std::string_view text);
// Says one character: "_" + its code + ".wav" from the letters folder.
void SayLetter(char c);
// True while sound plays; a waiting key stops all sound and gives false.
bool IsSpeaking();
void StopSpeech();
// The waiting idiom: while IsSpeaking, wait for the next window message.
void WaitWhileSpeaking();
// Waits for text handed to an engine that nobody has waited for yet.
void WaitPendingSpeech();
// True once StopSpeech ran during the text being spoken.
bool StopRequested();
// True when SpeechInit opened an external engine.
bool EngineActive();

// A recorded message: keys starting with "_" live in the letters folder, the
// others in the message folder. A missing file is silent.
void PlayMessage(const std::string& key);
bool MessageExists(const std::string& key);
// A WAV image in memory, played until heard (or a key).
void PlaySoundImage(const uint8_t* image, size_t size);
void PlayClick();
// Beeps, discarding every key typed ahead.
void PlayBeep();
// Telephone tones for 0-9, "#" and "*"; "," pauses a second.
void PlayDtmf(std::string_view text);
// A square-wave tone of `hz` (0 is silence) for `ms` milliseconds; a key
// ends it early and stays queued.
void PlayTone(int hz, int ms);
// Pauses in steps of 50 ms; a key press makes the rest pass at once.
void InterruptiblePause(int ms);

void WriteSpeak(std::string_view text);
void WriteLineSpeak(std::string_view text);
void WriteSpeakNumber(long number);
// Reads a key, silences speech and says the key.
char ReadKeySay();

// Whether the line editor says each character typed (on at start).
bool EchoTyped();
void SetEchoTyped(bool on);

// The settings an external engine is opened with ([SERVFALA]), as read by
// SpeechInit when [TRADUTOR] SAPI is on.
struct EngineRequest {
  bool wanted = false;  // [TRADUTOR] SAPI is on
  int voice = 0;
  int rate = 0;
  int pitch = 0;
  int type = 4;
};
EngineRequest ReadEngineRequest();

}  // namespace speech
