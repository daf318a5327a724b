// CODBASE64, DECODBASE64, ADQUOTED, REMOVEQUOTED, ANSIPARAUTF8,
// UTF8PARAANSI, CODARQBASE64, DECODARQBASE64.
#include "data/encoding_commands.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "data/encodings.h"
#include "interpreter/operands.h"
#include "platform/files.h"
#include "platform/files_extra.h"
#include "platform/files_temp.h"

namespace data {
namespace {

// Bytes of the source read at a time: 1024 lines of 48 bytes.
constexpr size_t kEncodeBlock = 48 * 1024;
constexpr size_t kLineBytes = 48;  // 64 Base64 characters
constexpr size_t kDecodeBlock = 65536;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

using Conversion = std::string (*)(std::string_view);

// The in-place commands: the operand must be a variable; its text is
// converted and stored back.
bool ConvertVariable(const std::string& arguments, Conversion convert) {
  std::string probe = arguments, value;
  if (!interp::ReadOperand(probe, value)) return false;
  std::string rest = arguments;
  int slot = 0;
  if (!interp::ReadVariableName(rest, slot)) return false;
  interp::SetVariable(slot, convert(value));
  return true;
}

// Reads "source target" of the file commands and opens them: the source,
// an existing file, for reading; the target, another file, for its new
// contents (which replace the old only when wholly written).
bool OpenFileOperands(const std::string& arguments, FilePointer& input,
                      std::unique_ptr<platform::files::Replacement>& output) {
  std::string rest = arguments, source, target;
  if (!interp::ReadOperand(rest, source) || !interp::ReadOperand(rest, target)) return false;
  // A device such as /dev/zero never ends: no file to encode.
  if (!platform::files::Exists(source) || platform::files::IsDirectory(source) || platform::files::IsDevice(source))
    return false;
  // Writing the target would empty the source before it is read.
  if (platform::files::SameFile(source, target)) return false;
  input.reset(platform::files::Open(source, "rb"));
  if (!input) return false;
  output = std::make_unique<platform::files::Replacement>(target);
  return output->file() != nullptr;
}

// Writes `text` and empties it; false when not all of it was written.
bool Flush(std::FILE* file, std::string& text) {
  bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  text.clear();
  return written;
}


}  // namespace

bool CmdCodbase64(const std::string& arguments) { return ConvertVariable(arguments, EncodeBase64); }
bool CmdDecodbase64(const std::string& arguments) { return ConvertVariable(arguments, DecodeBase64); }
bool CmdAdquoted(const std::string& arguments) { return ConvertVariable(arguments, EncodeQuoted); }
bool CmdRemovequoted(const std::string& arguments) { return ConvertVariable(arguments, DecodeQuoted); }
bool CmdAnsiparautf8(const std::string& arguments) { return ConvertVariable(arguments, AnsiToUtf8); }
bool CmdUtf8paraansi(const std::string& arguments) { return ConvertVariable(arguments, Utf8ToAnsi); }

bool CmdCodarqbase64(const std::string& arguments) {
  FilePointer input;
  std::unique_ptr<platform::files::Replacement> output;
  if (!OpenFileOperands(arguments, input, output)) return false;
  std::vector<char> block(kEncodeBlock);
  std::string pending;  // source bytes not yet making a whole line
  std::string text;
  text.reserve(kEncodeBlock / kLineBytes * 66 + 66);
  for (;;) {
    size_t count = std::fread(block.data(), 1, block.size(), input.get());
    if (count == 0) {
      if (std::ferror(input.get())) return false;
      break;
    }
    std::string_view bytes(block.data(), count);
    if (!pending.empty()) {
      size_t taken = std::min(kLineBytes - pending.size(), bytes.size());
      pending.append(bytes.substr(0, taken));
      bytes.remove_prefix(taken);
      if (pending.size() == kLineBytes) {
        AppendBase64(pending, text);
        text += "\r\n";
        pending.clear();
      }
    }
    while (bytes.size() >= kLineBytes) {
      AppendBase64(bytes.substr(0, kLineBytes), text);
      text += "\r\n";
      bytes.remove_prefix(kLineBytes);
    }
    pending.append(bytes);
    if (!Flush(output->file(), text)) return false;
  }
  if (!pending.empty()) {
    AppendBase64(pending, text);
    text += "\r\n";
  }
  return Flush(output->file(), text) && output->Commit();
}

bool CmdDecodarqbase64(const std::string& arguments) {
  FilePointer input;
  std::unique_ptr<platform::files::Replacement> output;
  if (!OpenFileOperands(arguments, input, output)) return false;
  std::vector<char> block(kDecodeBlock);
  Base64Decoder decoder;
  std::string bytes;
  bytes.reserve(kDecodeBlock);
  while (!decoder.Ended()) {
    size_t count = std::fread(block.data(), 1, block.size(), input.get());
    if (count == 0) {
      if (std::ferror(input.get())) return false;
      break;
    }
    decoder.Feed(std::string_view(block.data(), count), bytes);
    if (!Flush(output->file(), bytes)) return false;
  }
  decoder.Finish(bytes);
  return Flush(output->file(), bytes) && output->Commit();
}

}  // namespace data
