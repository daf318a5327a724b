// MIDI and SENSOR: a MIDI synthesizer and the sensor matrix on the parallel
// port.
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "automation/commands.h"
#include "console/console.h"
#include "data/command_text.h"
#include "interpreter/operands.h"
#include "platform/midi/midi.h"
#include "platform/portio/portio.h"
#include "speech/settings.h"
#include "speech/speech.h"

namespace automation {
namespace {

namespace midi = platform::midi;
namespace portio = platform::portio;

bool g_midi_open = false;

struct Sensors {
  bool loaded = false;
  uint8_t baseline = 0;
};
Sensors g_sensors;

bool SendShort(std::initializer_list<uint8_t> bytes) {
  std::vector<uint8_t> message(bytes);
  return midi::Send(message.data(), message.size());
}

bool ReadInteger(std::string& rest, int32_t& value, int32_t lowest, int32_t highest) {
  std::string text;
  return interp::ReadOperand(rest, text) && interp::ToInteger(text, value) && value >= lowest && value <= highest;
}

void PortPause() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

}  // namespace

// MIDI INICIA | TERMINA | PANE | NL c k v | ND c k | TT c p.
bool CmdMidi(const std::string& arguments) {
  std::string rest = speech::UpperCasePt(data::TrimmedText(arguments));
  if (rest == "INICIA") {
    if (g_midi_open) return false;
    std::string why;
    if (!midi::Open(why)) {
      speech::WriteLineSpeak("MIDI n\xE3o dispon\xEDvel.");
      return false;
    }
    SendShort({255});
    SendShort({63});
    g_midi_open = true;
    return true;
  }
  if (!g_midi_open) return false;
  if (rest == "TERMINA") {
    midi::Close();
    g_midi_open = false;
    return true;
  }
  if (rest == "PANE") {
    for (uint8_t channel = 0; channel < 16; ++channel)
      for (uint8_t key = 0; key < 128; ++key) SendShort({static_cast<uint8_t>(0x90 + channel), key, 0});
    return true;
  }
  std::string kind = rest.substr(0, 2);
  rest = data::TrimmedText(rest.substr(kind.size()));
  int32_t channel = 0, first = 0, second = 0;
  if (kind == "NL") {
    if (!ReadInteger(rest, channel, 1, 16) || !ReadInteger(rest, first, 0, 127) ||
        !ReadInteger(rest, second, 0, 127) || !rest.empty())
      return false;
    SendShort({static_cast<uint8_t>(0x90 + channel - 1), static_cast<uint8_t>(first), static_cast<uint8_t>(second)});
    return true;
  }
  if (kind == "ND") {
    if (!ReadInteger(rest, channel, 1, 16) || !ReadInteger(rest, first, 0, 127) || !rest.empty()) return false;
    SendShort({static_cast<uint8_t>(0x90 + channel - 1), static_cast<uint8_t>(first), 0});
    return true;
  }
  if (kind == "TT") {
    if (!ReadInteger(rest, channel, 1, 16) || !ReadInteger(rest, first, 0, 127) || !rest.empty()) return false;
    if (!SendShort({static_cast<uint8_t>(0xC0 + channel - 1), static_cast<uint8_t>(first)}))
      console::ConsoleWriteLine("erro em ProgramChange");
    return true;
  }
  return false;
}

// SENSOR V: the number of the first active sensor of the matrix, or "0".
bool CmdSensor(const std::string& arguments) {
  if (!g_sensors.loaded) {
    if (portio::Load()) {
      portio::Out(890, 255);
      PortPause();
      portio::Out(888, 1);
      PortPause();
      g_sensors.baseline = portio::In(889);
      g_sensors.loaded = true;
    } else {
      speech::WriteLineSpeak("inpout32.dll n\xE3o dispon\xEDvel.");
    }
  }
  std::string rest = arguments;
  int slot = 0;
  if (!interp::ReadVariableName(rest, slot)) return false;
  int first = 0;
  if (g_sensors.loaded) {
    for (int row = 0; row < 8; ++row) {
      portio::Out(890, 255);
      PortPause();
      portio::Out(888, static_cast<uint8_t>((128 >> row) ^ 255));
      PortPause();
      uint8_t status = portio::In(889) ^ g_sensors.baseline;
      for (int k = 0; k < 4 && first == 0; ++k)
        if (status & (0x80 >> k)) first = 4 * row + k + 1;
    }
  }
  interp::SetVariable(slot, interp::NumberText(first));
  return true;
}

}  // namespace automation
