// wav_player: every recorded sound of the system goes out here, through the
// wave-output device of the audio layer.
//
// Sound is queued in up to four fixed buffers of 65534 bytes; each buffer's
// WaveDone comes back through the console's message pump. Any key waiting in
// the keyboard queue stops playback (the key stays queued). Two treatments
// make recorded speech faster: fast playback (the rate times 1.5) and speech
// compression (every other pitch period of mono speech dropped).
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace speech {

constexpr size_t kWavHeaderBytes = 44;
// One output buffer, and the largest piece of sound queued at once.
constexpr size_t kPieceBytes = 65534;
constexpr int kOutputBuffers = 4;

// Plays a WAV file and waits until it has been heard or a key is pressed.
// 0 on success (also when a key was already waiting), -1 when nothing could
// be played, or the device's error code when it cannot be opened.
int PlayWavFile(const std::string& path);

// Queues a WAV image held in memory ("RIFF", "fmt " at 12, then chunks up to
// "data"); returns once queued. An image without those marks is not played.
void PlayWavImage(const uint8_t* image, size_t size);

// Queues raw PCM; 0, or the device's error code.
int PlayPcm(const uint8_t* data, size_t length, int rate, int channels, int bits);

// Pumps messages; stops playback when a key waits or nothing is left in
// flight (closing the device); true while buffers are still playing.
bool WavBusy();
// Stops at once and closes the device.
void WavStop();

// Fills the 44-byte header at `image` for `data_size` bytes of PCM.
void BuildWavHeader(uint8_t* image, uint32_t data_size, int rate, int channels, int bits);

// RAPIDINHO and CORTAFALA of the speed level in force.
void SetFastPlayback(bool on);
bool FastPlayback();
void SetCompression(bool on);
bool Compression();

// The sizes a "data" chunk of `data_size` bytes is read in: 65534 bytes (or
// `piece` when given smaller for wider frames), except that a remainder of
// 257 to 511 bytes beyond one piece is split so no last piece is shorter
// than 257 bytes.
std::vector<size_t> FilePieces(size_t data_size, size_t piece = kPieceBytes);

// Speech compression of one mono piece, in place: 16-bit data is first
// converted to 8 bits; with 1000 samples or more every other pitch period is
// dropped. `rate` is the (possibly sped-up) playing rate. Returns the new
// length in bytes (8-bit samples).
size_t CompressSpeech(uint8_t* data, size_t bytes, int bits, int rate);

// Buffers written to the device and not yet returned (tests).
int BuffersInFlight();

// Every buffer as it goes to the device, in the device's format (tests).
using QueueObserver = std::function<void(const uint8_t* data, size_t bytes, int rate, int bits, int channels)>;
void SetQueueObserver(QueueObserver observer);

// Program start: buffer-done messages come to the player (and, for theirs,
// to the media layer) from now on.
void WavPlayerStart();
// Program end: stops and closes the device.
void WavPlayerEnd();

}  // namespace speech
