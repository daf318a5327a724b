// Start and end of the data module: the slot table and the byte buffer.
#include "data/data_module.h"

#include "data/byte_buffer.h"
#include "data/file_table.h"
#include "platform/files_temp.h"

namespace data {

void DataInit() {
  platform::files::RemoveStaleTemporaryFiles();
  FileTableInit();
  ResetByteBuffer();
}

void DataEnd() {
  CloseAllSlots();
  ResetByteBuffer();
}

}  // namespace data
