// diphone_translator: the own speaking path's synthesizer. A phoneme string
// of the letter-to-sound stage ("[k/a/ z/a^]") is cut into segments, each
// segment into recorded units ("$KA", "$ZACIRC", or "_98" for a letter read
// by name), and the units' samples (8-bit unsigned mono, 11025 Hz) are
// joined into WAV images that the speech interface plays.
//
// Files: [TRADUTOR] DIRDIFONES holds NAME.IND (the unit index: 15-byte
// records, sorted by name), NAME.DIF (the samples), "regras.rgr" and
// "portug.exc"; [TRADUTOR] dirLetras holds the letter files "_" + code +
// ".wav". A unit missing from the index is split into smaller ones; a missing
// unit of one or two characters is said as a short noise, so speech never
// stops on a missing unit.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace synth {

// 0 success; 1 a folder, the index or the data file cannot be read; 2 the
// rules or the exceptions cannot be loaded.
int TranslatorOpen();
void TranslatorClose();
bool TranslatorIsOpen();

// The database name (at most 8 characters; "DIFONES2" until set).
void SetTranslatorDatabase(const std::string& name);
const std::string& TranslatorDatabase();
// CORTEFON (bytes cut from unstressed units), SOBRAFON (the floor a cut unit
// keeps) and INTERPAL (silence between words, in bytes).
void SetTranslatorTiming(int cut, int floor, int gap);

// The letters folder and the diphone folder in use (ending in "/"), as read
// by the last TranslatorOpen; the letters folder is also read before that.
std::string TranslatorLettersFolder();
const std::string& TranslatorDiphoneFolder();

// Says a phoneme string; returns when the last image has been handed to the
// player (or once speech was stopped).
void SayPhonemes(const std::string& phonemes);

// Fades the last few milliseconds of 8-bit unsigned samples to silence, so a
// sound cut short ends without a step.
void FadeOut(uint8_t* samples, size_t count);

// --- seams for tests and the voice tools ---------------------------------------

// What became of one unit look-up.
enum class UnitOutcome {
  Found,     // said from the index or its letter file
  Split,     // missing, said through smaller units
  Noise,     // missing, said as noise
  Silent,    // missing and nothing could be said for it
};
// Called for every unit the translator looks up, in order; `depth` is 0 for
// a unit a group asks for, and counts the splits that led to a smaller one.
using UnitObserver = std::function<void(const std::string& unit, UnitOutcome outcome, int depth)>;
void SetUnitObserver(UnitObserver observer);

// Where finished images go: by default the speech interface's player. A
// test or a tool may collect them instead (`image` holds a 44-byte header
// and `size` - 44 bytes of samples).
using ImageSink = std::function<void(const uint8_t* image, size_t size)>;
void SetImageSink(ImageSink sink);

}  // namespace synth
