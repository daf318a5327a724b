// The open-file table: ten slots of text files or network connections.
#include "data/file_table.h"

#include <cstdio>
#include <new>
#include <vector>

#include "data/file_commands.h"
#include "interpreter/console_commands.h"
#include "interpreter/operands.h"
#include "platform/files.h"

namespace data {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

// Reads lines of a text file through its own buffer: a line ends at CR, LF
// or CR LF, and the last line needs no line end.
class LineReader {
 public:
  explicit LineReader(FilePointer file) : file_(std::move(file)), buffer_(kBufferSize) {}

  // The next line; false at the end of the file (nothing read) or on a read
  // error (`error` set). A line longer than a text may be throws
  // std::bad_alloc, as a line that memory cannot hold would.
  bool ReadLine(std::string& line, bool& error) {
    line.clear();
    error = false;
    bool any = false;
    for (;;) {
      if (position_ == end_ && !Fill(error)) return any && !error;
      any = true;
      const char* start = buffer_.data() + position_;
      const char* stop = buffer_.data() + end_;
      const char* at = start;
      while (at < stop && *at != '\r' && *at != '\n') ++at;
      if (static_cast<size_t>(at - start) > kMaxLineBytes - line.size()) {
        // No line end within the bound (a device that never ends, such as
        // /dev/zero): treated as memory that cannot be had.
        position_ = static_cast<size_t>(at - buffer_.data());
        line.clear();
        throw std::bad_alloc();
      }
      line.append(start, at);
      position_ = static_cast<size_t>(at - buffer_.data());
      if (at == stop) continue;
      ++position_;
      if (*at == '\r') {
        if (position_ == end_) Fill(error);
        if (position_ < end_ && buffer_[position_] == '\n') ++position_;
      }
      return true;
    }
  }

 private:
  static constexpr size_t kBufferSize = 65536;
  static constexpr size_t kMaxLineBytes = interp::kMaxTextSize;

  bool Fill(bool& error) {
    position_ = end_ = 0;
    if (!file_) return false;
    end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
    if (end_ == 0 && std::ferror(file_.get())) error = true;
    return end_ > 0;
  }

  FilePointer file_;
  std::vector<char> buffer_;
  size_t position_ = 0;  // next byte to take
  size_t end_ = 0;       // bytes held
};

struct Slot {
  SlotKind kind = SlotKind::Free;
  std::unique_ptr<LineReader> reader;            // ReadFile
  FilePointer writer;                            // AppendFile
  std::unique_ptr<SlotConnection> connection;    // Network
};

struct Table {
  Slot slots[kSlotCount];
  int32_t io_status = kIoOk;
};

Table& T() {
  static Table table;
  return table;
}

Slot* SlotOf(char digit) {
  if (digit < '0' || digit > '9') return nullptr;
  return &T().slots[digit - '0'];
}

// Frees a slot; false when the file's last data could not be written.
bool Release(Slot& slot) {
  bool closed = true;
  if (slot.writer) closed = std::fclose(slot.writer.release()) == 0;
  slot.reader.reset();
  slot.connection.reset();
  slot.kind = SlotKind::Free;
  return closed;
}

}  // namespace

int32_t IoStatus() { return T().io_status; }
void SetIoStatus(int32_t status) { T().io_status = status; }
void ResetIoStatus() { T().io_status = kIoOk; }

SlotKind KindOfSlot(char digit) {
  Slot* slot = SlotOf(digit);
  return slot ? slot->kind : SlotKind::Free;
}

bool OpenFileSlot(char digit, const std::string& name, bool append) {
  Slot* slot = SlotOf(digit);
  if (!slot || name.empty()) return false;
  Release(*slot);
  // Appending creates a missing file; an existing file is never truncated,
  // so nothing already written is lost when it cannot be opened.
  FilePointer file(platform::files::Open(name, append ? "ab" : "rb"));
  if (!file) return false;
  if (append) {
    slot->writer = std::move(file);
    slot->kind = SlotKind::AppendFile;
  } else {
    slot->reader = std::make_unique<LineReader>(std::move(file));
    slot->kind = SlotKind::ReadFile;
  }
  return true;
}

bool AttachConnection(char digit, std::unique_ptr<SlotConnection> connection) {
  Slot* slot = SlotOf(digit);
  if (!slot) return false;
  Release(*slot);
  if (!connection) return true;
  slot->connection = std::move(connection);
  slot->kind = SlotKind::Network;
  return true;
}

SlotConnection* ConnectionOf(char digit) {
  Slot* slot = SlotOf(digit);
  return slot && slot->kind == SlotKind::Network ? slot->connection.get() : nullptr;
}

bool CloseSlot(char digit) {
  Slot* slot = SlotOf(digit);
  return slot && Release(*slot);
}

bool WriteToFileSlot(char digit, const std::string& text, bool newline) {
  Slot* slot = SlotOf(digit);
  if (!slot || slot->kind == SlotKind::Free) return false;
  switch (slot->kind) {
    case SlotKind::Network:
      SetIoStatus(slot->connection->SendLine(text, newline) ? 1 : 0);
      break;
    case SlotKind::ReadFile:
      SetIoStatus(kIoNotOpenForOutput);
      break;
    default: {
      std::FILE* file = slot->writer.get();
      bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
      if (written && newline) written = std::fwrite("\r\n", 1, 2, file) == 2;
      // Each line reaches the disk at once: a full disk is reported on the
      // line that did not fit, and nothing is lost if the program is ended.
      if (std::fflush(file) != 0) written = false;
      if (!written) std::clearerr(file);
      SetIoStatus(written ? kIoOk : kIoWriteError);
      break;
    }
  }
  return true;
}

bool ReadFromSlot(char digit, std::string& line) {
  line.clear();
  Slot* slot = SlotOf(digit);
  if (!slot || slot->kind == SlotKind::Free) return false;
  switch (slot->kind) {
    case SlotKind::Network:
      SetIoStatus(slot->connection->ReceiveLine(line) ? 0 : 1);
      if (IoStatus() != 0) line.clear();
      break;
    case SlotKind::AppendFile:
      SetIoStatus(kIoNotOpenForInput);
      break;
    default: {
      bool error = false;
      SetIoStatus(kIoReadError);  // stays if the line is too long to be held
      bool read = slot->reader->ReadLine(line, error);
      if (error) {
        line.clear();
        SetIoStatus(kIoReadError);
      } else {
        SetIoStatus(read ? kIoOk : kIoEndOfFile);
      }
      break;
    }
  }
  return true;
}

void FileTableInit() {
  CloseAllSlots();
  ResetIoStatus();
  EndDirectorySearch();
  interp::SlotWriter writer;
  writer.write = [](int slot, const std::string& text, bool line_break) {
    return slot >= 0 && slot < kSlotCount && WriteToFileSlot(static_cast<char>('0' + slot), text, line_break);
  };
  writer.clear_status = ResetIoStatus;
  interp::SetSlotWriter(writer);
}

void CloseAllSlots() {
  for (Slot& slot : T().slots) Release(slot);
}

}  // namespace data
