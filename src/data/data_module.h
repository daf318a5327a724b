// data_module: start and end of the files, lists and data module.
#pragma once

namespace data {

// Program start (InterpreterInit): the ten slots closed, the I/O status 0,
// no directory search, the byte buffer empty, no binary output file; and
// ESCREVE's "#n" connected to the slot table.
void DataInit();

// Program end: every slot and the binary output file closed, so what they
// hold reaches the disk.
void DataEnd();

}  // namespace data
