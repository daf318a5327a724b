// file_chooser: the box in which the user picks a script file by ear.
//
// The matching files of a folder are listed one per row, sorted by their
// names folded to plain capitals; the cursor keys move through them while
// each name is spoken. Enter picks, Esc cancels, Tab goes back to typing.
#pragma once
#include <string>

namespace interp {

struct ChosenFile {
  // The chosen name (with its folder when that is not the current folder);
  // empty when cancelled or when nothing matched; "@TAB@" after Tab.
  std::string name;
  // The key that ended the choice: its code, or 256 + the code of an
  // extended key; 0 when no box was shown.
  int last_key = 0;
};

// Shows the plain files that match `pattern` ("folder\name pattern") in the
// box from (left, top) to (right, bottom) and lets the user choose. The
// screen under the box, the colours, the cursor and the current folder are
// put back afterwards.
ChosenFile ChooseFile(int left, int top, int right, int bottom, const std::string& pattern);

// The order of the list: names compared byte by byte after folding letters
// to capitals without accents (so "ção.cmd" comes after "B.CMD").
bool FoldedNameBefore(const std::string& a, const std::string& b);

}  // namespace interp
