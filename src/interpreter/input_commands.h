// input_commands: LE (also written LÊ), how a script reads from the user and
// from its slots.
#pragma once
#include <string>

namespace interp {

// LE                 a line of plain input, discarded
// LE &               one key, discarded
// LE [TECLA] [MUDO] V &   one key into V (TECLA: with the Shift/Ctrl/Alt prefix)
// LE #n V            a line from slot n
// LE MUDO V          a line of plain input, not spoken
// LE SENHA V         a line of plain input that does not show
// LE V               a line with the spoken line reader
// LE EDITA V, LE CONSOLE V, LE MOUSE|RATO ...   come with the line editor,
//                    the program runner and the mouse reader
bool CmdLe(const std::string& arguments);

// The modifier keys held at the moment a key is read.
struct HeldModifiers {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};
using ModifierReader = HeldModifiers (*)();
// Where LE TECLA takes the modifier state from; by default the keyboard's
// state that came with the key (tests may replace it).
void SetModifierReader(ModifierReader reader);

// The spoken line reader of LE V (at the cursor, at most 255 characters, ESC
// gives the empty text, a line break follows). Until one is set, LE V reads
// with the plain line input.
using SpokenLineReader = std::string (*)();
void SetSpokenLineReader(SpokenLineReader reader);

}  // namespace interp
