// terminal_screen: the console grid painted on an ANSI text terminal.
//
// Cells are written with 24-bit colours ("ESC [ 38;2;r;g;b" foreground,
// "48;2;r;g;b" background) in runs of equal attribute, characters as UTF-8;
// the terminal's cursor is the caret.
#pragma once
#include <string>

#include "platform/window.h"

namespace platform::terminal {

// The bytes that paint the cells [column_from, column_to) x [row_from,
// row_to) of `frame` on a terminal of `columns` x `rows` characters (cells
// beyond it are left out), then show the cursor at the caret when the frame
// shows the caret, else hide it.
// `first_row` is the grid row shown on the terminal's first row (a terminal
// with fewer than 25 rows shows a part of the grid).
std::string PaintCells(const window::Frame& frame, int column_from, int column_to, int row_from,
                       int row_to, int columns, int rows, int first_row = 0);

// The UTF-8 text shown for one grid byte: controls, DEL and the five bytes
// Windows-1252 leaves undefined are shown as a blank, so no cell can send
// the terminal a control.
std::string CellText(unsigned char byte);

// The bytes that set the terminal's title (OSC 0); control characters in
// the title are left out.
std::string TitleSequence(const std::string& latin1);

}  // namespace platform::terminal
