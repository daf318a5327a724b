// portio: the parallel port's registers (data 888, status 889, control 890).
//
// Over /dev/port where this program may open it; a simulated sensor matrix
// for the tests.
#pragma once
#include <cstdint>

namespace platform::portio {

// Opens the port access; false when it is not permitted or not there.
bool Load();
uint8_t In(uint16_t port);
void Out(uint16_t port, uint8_t value);

// Tests: instead of the hardware, a matrix of 32 sensors in 8 rows of 4.
// Writing a data byte with only the line of row i low (bit 128 >> i clear)
// selects row i; the status register then has the bits 0x80, 0x40, 0x20 and
// 0x10 flipped for the active sensors 4i+1 to 4i+4. `active` holds one bit
// per sensor (bit 0: sensor 1).
void SimulateMatrix(uint32_t active);
// Tests: no port at all (as without permission).
void SimulateMissing();
// Tests: back to the real port.
void UseHardware();

}  // namespace platform::portio
