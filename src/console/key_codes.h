// key_codes: the bytes ReadKey gives for the keys the console's choosers
// and editors handle. A special key arrives as 0 followed by its extended
// code (the PC keyboard's), so these share no namespace with the characters.
#pragma once
#include <cstdint>

namespace console::keys {

// Characters.
constexpr uint8_t kBackspace = 8;
constexpr uint8_t kTab = 9;
constexpr uint8_t kEnter = 13;
constexpr uint8_t kEscape = 27;

// Extended codes.
constexpr uint8_t kShiftTab = 15;
constexpr uint8_t kF1 = 59;
constexpr uint8_t kF4 = 62;
constexpr uint8_t kF5 = 63;
constexpr uint8_t kF6 = 64;
constexpr uint8_t kF8 = 66;
constexpr uint8_t kF12 = 70;
constexpr uint8_t kHome = 71;
constexpr uint8_t kUp = 72;
constexpr uint8_t kPageUp = 73;
constexpr uint8_t kLeft = 75;
constexpr uint8_t kRight = 77;
constexpr uint8_t kEnd = 79;
constexpr uint8_t kDown = 80;
constexpr uint8_t kPageDown = 81;
constexpr uint8_t kDel = 83;
constexpr uint8_t kCtrlF1 = 94;
constexpr uint8_t kCtrlF4 = 97;
constexpr uint8_t kCtrlF5 = 98;
constexpr uint8_t kCtrlF8 = 101;
constexpr uint8_t kCtrlF9 = 102;
constexpr uint8_t kCtrlF12 = 105;
constexpr uint8_t kCtrlLeft = 115;
constexpr uint8_t kCtrlRight = 116;
constexpr uint8_t kCtrlPageDown = 118;
constexpr uint8_t kCtrlPageUp = 132;

}  // namespace console::keys
