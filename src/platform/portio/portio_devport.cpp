// Port input and output through /dev/port, or the simulated matrix.
#include <fcntl.h>
#include <unistd.h>

#include "platform/portio/portio.h"

namespace platform::portio {
namespace {

enum class Mode { Hardware, Matrix, Missing };

struct State {
  Mode mode = Mode::Hardware;
  int fd = -1;
  uint32_t active = 0;
  uint8_t data = 0;
};

State& S() {
  static State state;
  return state;
}

// The status lines when no sensor answers.
constexpr uint8_t kIdleStatus = 0x7F;

uint8_t MatrixStatus() {
  const State& s = S();
  for (int row = 0; row < 8; ++row) {
    if (s.data != static_cast<uint8_t>((128 >> row) ^ 255)) continue;
    uint8_t flipped = 0;
    for (int k = 0; k < 4; ++k)
      if (s.active & (1u << (4 * row + k))) flipped |= static_cast<uint8_t>(0x80 >> k);
    return kIdleStatus ^ flipped;
  }
  return kIdleStatus;
}

}  // namespace

bool Load() {
  State& s = S();
  switch (s.mode) {
    case Mode::Matrix: return true;
    case Mode::Missing: return false;
    case Mode::Hardware: break;
  }
  if (s.fd >= 0) return true;
  s.fd = open("/dev/port", O_RDWR | O_CLOEXEC);
  return s.fd >= 0;
}

uint8_t In(uint16_t port) {
  State& s = S();
  if (s.mode == Mode::Matrix) return port == 889 ? MatrixStatus() : 0;
  uint8_t value = 0;
  if (s.fd >= 0 && pread(s.fd, &value, 1, port) != 1) value = 0;
  return value;
}

void Out(uint16_t port, uint8_t value) {
  State& s = S();
  if (s.mode == Mode::Matrix) {
    if (port == 888) s.data = value;
    return;
  }
  if (s.fd >= 0 && pwrite(s.fd, &value, 1, port) != 1) return;
}

void SimulateMatrix(uint32_t active) {
  State& s = S();
  s.mode = Mode::Matrix;
  s.active = active;
}

void SimulateMissing() { S().mode = Mode::Missing; }

void UseHardware() { S().mode = Mode::Hardware; }

}  // namespace platform::portio
