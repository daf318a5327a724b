// review: the screen review, a mode in which a review cursor walks over the
// console's text by character, word, line, field and screen and reads aloud
// what it passes, while the program's own output stays as it is.
//
// Rows 1-25 and columns 1-81 (81 is just past the last column).
#pragma once

namespace console {

// Runs the review until Esc; the text cursor is put back where it was.
void ReviewScreen();

// Reads the screen from (first_row, first_column) to (last_row,
// last_column), line by line; the rows before the last are read to column
// 80. With `restore` the review cursor returns where it was.
void ReadRange(int first_row, int first_column, int last_row, bool restore, int last_column);

// Tests: forget the search text and the review cursor.
void ResetReviewForTests();

}  // namespace console
