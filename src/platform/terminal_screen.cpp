#include "platform/terminal_screen.h"

#include <algorithm>
#include <array>

#include "platform/text.h"

namespace platform::terminal {
namespace {

// Decimal digits of `number`.
void AppendNumber(std::string& out, int number) { out += std::to_string(number); }

// "ESC [ row ; column H" for 0-based cell coordinates.
void AppendMoveTo(std::string& out, int column, int row) {
  out += "\x1b[";
  AppendNumber(out, row + 1);
  out += ';';
  AppendNumber(out, column + 1);
  out += 'H';
}

// "r;g;b".
void AppendColour(std::string& out, const window::Rgb& colour) {
  AppendNumber(out, colour.r);
  out += ';';
  AppendNumber(out, colour.g);
  out += ';';
  AppendNumber(out, colour.b);
}

// "ESC [ 38;2;r;g;b;48;2;r;g;b m" for an attribute byte.
void AppendAttribute(std::string& out, const window::Frame& frame, uint8_t attribute) {
  out += "\x1b[38;2;";
  AppendColour(out, frame.colours[attribute & 0x0F]);
  out += ";48;2;";
  AppendColour(out, frame.colours[attribute >> 4]);
  out += 'm';
}

// Controls, DEL and the five undefined Windows-1252 bytes.
bool ShownAsBlank(unsigned char byte) {
  return byte < 32 || byte == 127 || byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 ||
         byte == 0x9D;
}

}  // namespace

std::string CellText(unsigned char byte) {
  static const std::array<std::string, 256> texts = [] {
    std::array<std::string, 256> table;
    for (int i = 0; i < 256; ++i) {
      char c = static_cast<char>(i);
      table[i] = ShownAsBlank(static_cast<unsigned char>(i)) ? std::string(" ") : Latin1ToUtf8({&c, 1});
    }
    return table;
  }();
  return texts[byte];
}

std::string PaintCells(const window::Frame& frame, int column_from, int column_to, int row_from,
                       int row_to, int columns, int rows, int first_row) {
  std::string out = "\x1b[?25l";
  first_row = std::clamp(first_row, 0, window::kRows - 1);
  column_from = std::max(column_from, 0);
  row_from = std::max(row_from, first_row);
  column_to = std::min({column_to, window::kColumns, columns});
  row_to = std::min({row_to, window::kRows, first_row + rows});
  int attribute = -1;
  for (int row = row_from; row < row_to && column_from < column_to; ++row) {
    AppendMoveTo(out, column_from, row - first_row);
    for (int column = column_from; column < column_to; ++column) {
      int cell = row * window::kColumns + column;
      if (frame.attrs[cell] != attribute) {
        attribute = frame.attrs[cell];
        AppendAttribute(out, frame, static_cast<uint8_t>(attribute));
      }
      out += CellText(frame.chars[cell]);
    }
  }
  if (attribute >= 0) out += "\x1b[0m";
  // After the 80th character of a row the cursor waits in column 81; the
  // caret stays on the last column then.
  int caret_column = std::min(frame.cursor_column, window::kColumns - 1), caret_row = frame.cursor_row - first_row;
  bool caret_shown = caret_column >= 0 && caret_row >= 0 && caret_column < std::min(columns, window::kColumns) &&
                     caret_row < std::min(rows, window::kRows);
  if (frame.caret_visible && caret_shown) {
    AppendMoveTo(out, caret_column, caret_row);
    out += "\x1b[?25h";
  }
  return out;
}

std::string TitleSequence(const std::string& latin1) {
  std::string clean;
  for (unsigned char c : latin1)
    if (!ShownAsBlank(c)) clean += static_cast<char>(c);
  return "\x1b]0;" + Latin1ToUtf8(clean) + "\x07";
}

}  // namespace platform::terminal
