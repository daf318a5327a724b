// The byte buffer and the binary output file: CRIABIN, ESCREVEBYTE, LEBYTE,
// GRAVABYTES, LIMPABYTES, FECHABIN.
#include "data/byte_buffer.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "interpreter/operands.h"
#include "platform/files.h"

namespace data {
namespace {

// After a write the buffer keeps up to this much memory for the next bytes;
// more is given back.
constexpr size_t kKeptAfterWrite = 16u << 20;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

struct ByteBuffer {
  std::string bytes;  // the bytes appended since the last write or clear
  size_t capacity = kByteBufferCapacity;
  FilePointer output;  // the binary output file, when open
};

ByteBuffer& B() {
  static ByteBuffer buffer;
  return buffer;
}

// Gives back the memory of an emptied buffer above `keep` bytes.
void Empty(size_t keep) {
  std::string& bytes = B().bytes;
  bytes.clear();
  if (bytes.capacity() > keep) std::string().swap(bytes);
}

}  // namespace

bool AppendBytes(std::string_view more) {
  ByteBuffer& buffer = B();
  std::string& bytes = buffer.bytes;
  if (more.size() > buffer.capacity - bytes.size()) return false;
  size_t needed = bytes.size() + more.size();
  if (needed > bytes.capacity())
    bytes.reserve(std::min(buffer.capacity, std::max(needed, 2 * bytes.capacity())));
  bytes.append(more);
  return true;
}

std::string_view BufferedBytes() { return B().bytes; }

void SetByteBufferCapacityForTests(size_t capacity) {
  B().capacity = capacity == 0 ? kByteBufferCapacity : capacity;
  Empty(0);
}

void ResetByteBuffer() {
  Empty(0);
  B().output.reset();
}

// CRIABIN name: creates a new file (never an existing one) as the binary
// output file.
bool CmdCriabin(const std::string& arguments) {
  std::string rest = arguments, name;
  if (!interp::ReadOperand(rest, name) || name.empty()) return false;
  if (platform::files::Exists(name) || B().output) return false;
  // "x": the file is created only if no other has appeared meanwhile.
  FilePointer file(platform::files::Open(name, "wbx"));
  if (!file) return false;
  B().output = std::move(file);
  return true;
}

// ESCREVEBYTE text: appends the bytes of the text.
bool CmdEscrevebyte(const std::string& arguments) {
  std::string rest = arguments, text;
  return interp::ReadOperand(rest, text) && AppendBytes(text);
}

// LEBYTE name from to: appends the bytes of the file from position `from`
// (0-based) up to, not including, `to`; equal positions take one byte.
bool CmdLebyte(const std::string& arguments) {
  std::string rest = arguments, name, from_text, to_text;
  if (!interp::ReadOperand(rest, name) || !interp::ReadOperand(rest, from_text) ||
      !interp::ReadOperand(rest, to_text))
    return false;
  int32_t from = 0, to = 0;
  if (!interp::ToInteger(from_text, from) || !interp::ToInteger(to_text, to)) return false;
  ByteBuffer& buffer = B();
  if (buffer.bytes.size() >= buffer.capacity) return false;
  FilePointer file(platform::files::Open(name, "rb"));
  if (!file) return false;
  int64_t size = platform::files::FileSize(name);
  if (size < 0 || size > static_cast<int64_t>(kByteBufferCapacity)) return false;
  if (to < from || from < 0 || from >= size) return false;
  int64_t count = to == from ? 1 : static_cast<int64_t>(to) - from;
  count = std::min(count, size - from);
  if (static_cast<uint64_t>(count) > buffer.capacity - buffer.bytes.size()) return false;
  if (std::fseek(file.get(), static_cast<long>(from), SEEK_SET) != 0) return false;
  std::string bytes(static_cast<size_t>(count), '\0');
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
  return AppendBytes(bytes);
}

// GRAVABYTES: writes the buffered bytes to the binary output file and
// empties the buffer. When the write fails the bytes stay in the buffer.
bool CmdGravabytes(const std::string&) {
  ByteBuffer& buffer = B();
  if (!buffer.output) return false;
  std::FILE* file = buffer.output.get();
  const std::string& bytes = buffer.bytes;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fflush(file) != 0) {
    std::clearerr(file);
    return false;
  }
  Empty(kKeptAfterWrite);
  return true;
}

// LIMPABYTES: empties the buffer.
bool CmdLimpabytes(const std::string&) {
  Empty(0);
  return true;
}

// FECHABIN: closes the binary output file.
bool CmdFechabin(const std::string&) {
  ByteBuffer& buffer = B();
  if (!buffer.output) return false;
  return std::fclose(buffer.output.release()) == 0;
}

}  // namespace data
