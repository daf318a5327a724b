// midi: MIDI output over the ALSA sequencer.
//
// Open creates a client of ours with one output port and connects it to the
// first synthesizer the sequencer offers ($TESSEL_MIDI_PORT, "client:port",
// names another); short messages of one to three bytes are sent at once.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform::midi {

// False (with the reason in `why`) when there is no sequencer.
bool Open(std::string& why);
// Sends one short message; false when it could not be sent.
bool Send(const uint8_t* bytes, size_t size);
void Close();

// Tests: every message sent goes to `sink` instead of the sequencer (null:
// the sequencer again).
void RecordInto(std::vector<std::vector<uint8_t>>* sink);

}  // namespace platform::midi
