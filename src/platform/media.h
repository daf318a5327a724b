// media: the media control layer, a small interpreter of MCI command strings
// of ours over the audio layer's wave output.
//
// Commands (words are case-insensitive; a name with blanks goes in double
// quotes):
//   open NAME [type TYPE] [alias ALIAS]   opens a sound file as a device
//   play DEVICE [from MS] [to MS] [wait]  plays it (a file name not yet open
//                                         is opened first, as its own alias)
//   pause DEVICE | resume DEVICE          holds and goes on
//   stop DEVICE                           stops and rewinds
//   status DEVICE mode|length|position|ready   the answer text ("playing",
//                                         "stopped", "paused"; milliseconds)
//   close DEVICE | close all              closes
// Files: what libsndfile reads (WAV, FLAC, Ogg, MP3 ...), loaded at run time;
// without it, plain PCM WAV files only. Sound goes out through the audio
// layer's media output, heard together with the WAV player's sounds: speech
// and keys do not stop it. One device plays at a time: playing another stops
// the one playing.
#pragma once
#include <cstdint>
#include <string>

namespace platform::media {

// MCI error codes returned by SendCommand (0: success).
constexpr int kInvalidDevice = 263;       // no device of that name is open
constexpr int kUnrecognizedKeyword = 259;
constexpr int kUnrecognizedCommand = 261;
constexpr int kHardware = 262;            // the wave output cannot be opened
constexpr int kMissingParameter = 274;
constexpr int kFileNotFound = 275;
constexpr int kCannotLoadDriver = 266;    // the file cannot be decoded
constexpr int kDuplicateAlias = 289;
constexpr int kOutOfRange = 282;

// Runs one command string; `answer` gets the reply text (empty when there is
// none or on error). Returns 0 or an MCI error code.
int SendCommand(const std::string& command, std::string& answer);

// A buffer-done message of the wave output. Returns true when the buffer was
// one of ours (more sound is then queued).
bool HandleBufferDone(int64_t buffer_id);
// First buffer id the media layer uses; ids below it belong to the player.
constexpr int64_t kFirstBufferId = 1000;

// Program end and tests: closes every device.
void CloseAll();

}  // namespace platform::media
