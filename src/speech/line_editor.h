// line_editor: the one-line field that talks back. Every answer, file name
// and command line the user types goes through it: each typed character is
// said, the arrows say what they pass, F1 reads word by word, Shift selects,
// Ctrl+C/Ctrl+V and Ctrl+Ins/Shift+Ins use the clipboard.
//
// Texts are Latin-1. Coordinates are the console's, 1-based.
#pragma once
#include <string>

namespace speech {

// Keys that end an edit besides the extended keys the editor does not handle
// (those end it with their extended code, e.g. 72 Up, 80 Down).
constexpr int kEditTab = 9;
constexpr int kEditCtrlEnter = 10;
constexpr int kEditEnter = 13;
constexpr int kEditEscape = 27;
constexpr int kEditAltF1 = 'h';
constexpr int kEditCtrlF9 = 'f';
constexpr int kEditUp = 72;
constexpr int kEditDown = 80;

// Edits `text` in a field of `width` cells at (column, row), at most
// `max_length` (up to 2048) characters. On return `text` holds the field
// without trailing blanks; the result is the key that ended the edit.
int EditField(std::string& text, int column, int row, bool editable, int width, int max_length);

// The same with the field running to the right edge of the console, less one
// cell (a field at column 1 shows 78 cells).
int EditFieldHere(std::string& text, int column, int row, bool editable, int max_length);

// A line of at most 255 characters edited at the cursor. Esc wipes what was
// shown and gives the empty text. A line break follows.
void ReadLineSpoken(std::string& text);

// Opens a document, a web address or a program as the desktop would.
void OpenDocument(const std::string& name);

// What Alt+Ctrl+F9 opens from inside a field: the screen review, unless a
// test puts another in its place (null puts the review back).
using ScreenReviewer = void (*)();
void SetScreenReviewer(ScreenReviewer reviewer);

}  // namespace speech
