// MIDI output through the ALSA sequencer.
#include <alsa/asoundlib.h>

#include <cstdlib>
#include <cstring>

#include "platform/midi/midi.h"

namespace platform::midi {
namespace {

struct State {
  snd_seq_t* sequencer = nullptr;
  snd_midi_event_t* encoder = nullptr;
  int port = -1;
  std::vector<std::vector<uint8_t>>* sink = nullptr;
};

State& S() {
  static State state;
  return state;
}

// The first port that takes MIDI from others: a synthesizer first, else any
// MIDI port that is not the sequencer's own.
bool FindDestination(snd_seq_t* sequencer, snd_seq_addr_t& found) {
  bool have = false;
  bool have_synth = false;
  snd_seq_client_info_t* client;
  snd_seq_port_info_t* port;
  snd_seq_client_info_alloca(&client);
  snd_seq_port_info_alloca(&port);
  snd_seq_client_info_set_client(client, -1);
  int own = snd_seq_client_id(sequencer);
  while (snd_seq_query_next_client(sequencer, client) >= 0) {
    int id = snd_seq_client_info_get_client(client);
    if (id == SND_SEQ_CLIENT_SYSTEM || id == own) continue;
    snd_seq_port_info_set_client(port, id);
    snd_seq_port_info_set_port(port, -1);
    while (snd_seq_query_next_port(sequencer, port) >= 0) {
      unsigned caps = snd_seq_port_info_get_capability(port);
      unsigned type = snd_seq_port_info_get_type(port);
      if ((caps & (SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE)) !=
          (SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE))
        continue;
      if (!(type & SND_SEQ_PORT_TYPE_MIDI_GENERIC)) continue;
      bool synth = type & (SND_SEQ_PORT_TYPE_SYNTH | SND_SEQ_PORT_TYPE_DIRECT_SAMPLE | SND_SEQ_PORT_TYPE_SAMPLE);
      if (!have || (synth && !have_synth)) {
        found.client = static_cast<unsigned char>(id);
        found.port = static_cast<unsigned char>(snd_seq_port_info_get_port(port));
        have = true;
        have_synth = synth;
      }
    }
  }
  return have;
}

}  // namespace

bool Open(std::string& why) {
  State& s = S();
  if (s.sink) return true;
  if (s.sequencer) return true;
  if (snd_seq_open(&s.sequencer, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) {
    s.sequencer = nullptr;
    why = "no ALSA sequencer";
    return false;
  }
  snd_seq_set_client_name(s.sequencer, "Tessel");
  s.port = snd_seq_create_simple_port(s.sequencer, "Tessel MIDI", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                      SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
  snd_midi_event_new(16, &s.encoder);
  snd_seq_addr_t destination{};
  const char* named = std::getenv("TESSEL_MIDI_PORT");
  if (named && *named) {
    if (snd_seq_parse_address(s.sequencer, &destination, named) == 0)
      snd_seq_connect_to(s.sequencer, s.port, destination.client, destination.port);
  } else if (FindDestination(s.sequencer, destination)) {
    snd_seq_connect_to(s.sequencer, s.port, destination.client, destination.port);
  }
  return true;
}

bool Send(const uint8_t* bytes, size_t size) {
  State& s = S();
  if (s.sink) {
    s.sink->emplace_back(bytes, bytes + size);
    return true;
  }
  if (!s.sequencer || !s.encoder) return false;
  snd_seq_event_t event;
  snd_seq_ev_clear(&event);
  snd_midi_event_reset_encode(s.encoder);
  if (snd_midi_event_encode(s.encoder, bytes, static_cast<long>(size), &event) <= 0 ||
      event.type == SND_SEQ_EVENT_NONE)
    return false;
  snd_seq_ev_set_source(&event, s.port);
  snd_seq_ev_set_subs(&event);
  snd_seq_ev_set_direct(&event);
  if (snd_seq_event_output_direct(s.sequencer, &event) < 0) return false;
  return true;
}

void Close() {
  State& s = S();
  if (s.encoder) snd_midi_event_free(s.encoder);
  if (s.sequencer) snd_seq_close(s.sequencer);
  s.encoder = nullptr;
  s.sequencer = nullptr;
  s.port = -1;
}

void RecordInto(std::vector<std::vector<uint8_t>>* sink) { S().sink = sink; }

}  // namespace platform::midi
