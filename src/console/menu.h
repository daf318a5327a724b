// menu: two spoken choosers drawn on the console's text grid.
//
// The popup menu lays a column of options over part of the screen, says
// each option as the user moves to it (from its recorded message when there
// is one), and puts the screen back when the choice is made. The list box
// shows items in a fixed rectangle, lets the user mark several of them, and
// returns the current item with the key that ended the choice.
//
// One popup menu and one list box at a time. Coordinates are 1-based.
#pragma once
#include <cstdint>
#include <string>

namespace console {

// --- popup menu -------------------------------------------------------------

// Writes `lines` line breaks (scrolling if needed), then puts the cursor back
// up in the same column, so that the rows below it are free.
void MakeRoom(int lines);
// Fits the area (width columns, one row per option) on the screen, saves
// what it covers and starts an empty option list.
void MenuOpen(int left, int top, int width, int background, int options);
// Adds an option; it is numbered in the order of adding, from 1. The message
// key names a recording said instead of the text (empty for none).
void MenuAdd(const std::string& message_key, const std::string& text);
// Lets the user choose, starting at option 1; puts the covered screen, the
// colours and the cursor back. The chosen option's number, 0 after Esc.
int MenuRun();
// The text of the option last chosen; empty after Esc.
const std::string& MenuChosenText();

// --- list box -------------------------------------------------------------------

// The most items a list box holds.
constexpr int kListBoxItems = 10000;

void ListCreate(int left, int top, int right, int bottom);
// Adds an unmarked item; false when the list box is full or does not exist.
bool ListAdd(const std::string& text);

struct ListChoice {
  int item = 0;           // the current item, from 1 (0 or count + 1: none)
  uint8_t key = 0;        // the plain key that ended the choice (0: extended)
  uint8_t extended = 0;   // the extended key's code (0: a plain key)
  bool valid = false;     // the current item is one of the items
};
// Lets the user move and mark from `start_item` (from 1). With `speak` the
// current item is also said before the first key.
ListChoice ListRun(int start_item, bool speak);
struct ListItem {
  std::string text;  // empty outside the list
  bool marked = false;
};
ListItem ListGet(int item);
int ListCount();
bool ListExists();
// Blanks the rectangle, puts the cursor at its top-left corner and frees the
// list box.
void ListClose();

// Tests: no menu and no list box.
void ResetMenusForTests();

}  // namespace console
