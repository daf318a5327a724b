// Start and end of the data module: the slot table and the byte buffer.
#include "data/data_module.h"

#include "data/byte_buffer.h"
#include "data/file_table.h"

namespace data {

void DataInit() {
  FileTableInit();
  ResetByteBuffer();
}

void DataEnd() {
  CloseAllSlots();
  ResetByteBuffer();
}

}  // namespace data
