// speech: the one way every part of the system makes itself heard.
#pragma once
#include <string>
#include <string_view>

namespace speech {

// Reads the speech settings and opens the speaking path. `level` 0 takes
// [TRADUTOR] VELOCIDADE; `message_folder` holds the program's recorded
// messages.
void SpeechInit(int level, const std::string& message_folder);
void SpeechEnd();

// Starts speaking a text (Latin-1). Callers that must wait for the end use
// WaitWhileSpeaking.
void Speak(std::string_view text);
void Spell(std::string_view text);
void SayLetter(char c);
bool IsSpeaking();
void StopSpeech();
// The waiting idiom: while IsSpeaking, wait for the next window message.
void WaitWhileSpeaking();

void PlayMessage(const std::string& key);
bool MessageExists(const std::string& key);
void PlayClick();
void PlayBeep();
void InterruptiblePause(int ms);

void WriteSpeak(std::string_view text);
void WriteLineSpeak(std::string_view text);
void WriteSpeakNumber(long number);
char ReadKeySay();

}  // namespace speech
