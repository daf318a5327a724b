// The commands over slots, files and folders: ABRE, FECHA, CHECA, REMOVE,
// RENOMEIA, REPLICA, DIR, BUSCA, TAMARQ, HTAMARQ.
#include "data/file_commands.h"

#include <algorithm>
#include <cmath>
#include <locale>
#include <stdexcept>
#include <vector>

#include "data/command_text.h"
#include "data/file_table.h"
#include "interpreter/operands.h"
#include "platform/files.h"
#include "platform/files_extra.h"
#include "speech/speech.h"

namespace data {
namespace {

const char kOpenError[] = "Erro na abertura do arquivo ";
const char kCloseError[] = "Erro no fechamento do arquivo";
const char kRemoveError[] = "Erro no apagamento do arquivo ";
const char kReadError[] = "Erro no processamento de arquivo ";
const char kWriteError[] = "Erro na escrita de arquivo ";
const char kFolderError[] = "Erro no processamento do diret\xF3rio ";

// The directory search of BUSCA: one for the whole interpreter. The entries
// are taken when the search starts; PROXIMO walks them.
struct DirectorySearch {
  bool active = false;
  bool directories = false;  // searching for folders (attribute 16), else files (32)
  std::vector<platform::files::Entry> entries;
  size_t next = 0;
};

DirectorySearch& Search() {
  static DirectorySearch search;
  return search;
}

// The entries a search shows: hidden ones never; folders only when folders
// are searched, files only when files are.
bool Wanted(const platform::files::Entry& entry, bool directories) {
  return !entry.hidden && entry.directory == directories;
}

// The name of the next wanted entry of the search, or "" (and the search
// ended) when there is none.
std::string NextEntry() {
  DirectorySearch& search = Search();
  while (search.active && search.next < search.entries.size()) {
    const platform::files::Entry& entry = search.entries[search.next++];
    if (Wanted(entry, search.directories)) return entry.name;
  }
  EndDirectorySearch();
  return "";
}

// The user's decimal separator; "." when the environment names no usable
// locale.
char DecimalSeparator() {
  try {
    return std::use_facet<std::numpunct<char>>(std::locale("")).decimal_point();
  } catch (const std::runtime_error&) {
    return '.';
  }
}

// Reads "name V" for TAMARQ and HTAMARQ; the size is -1 when the file cannot
// be examined (missing, or a folder).
bool ReadSizeOperands(const std::string& arguments, std::string& name, int& slot, int64_t& size) {
  std::string rest = arguments;
  if (!interp::ReadOperand(rest, name) || !interp::ReadVariableName(rest, slot)) return false;
  size = platform::files::FileSize(name);
  return true;
}

// Reads two value operands with nothing after them.
bool ReadTwoNames(std::string& rest, std::string& first, std::string& second) {
  return interp::ReadOperand(rest, first) && interp::ReadOperand(rest, second) && rest.empty();
}

}  // namespace

// ABRE #n name [&]: "&" opens for appending (a missing file is created).
bool CmdAbre(const std::string& arguments) {
  std::string rest = arguments;
  bool append = TakeTrailingAmpersand(rest);
  char digit = 0;
  std::string name;
  if (interp::ReadFileNumber(rest, digit) && !rest.empty()) {
    std::string value;
    if (interp::ReadOperand(rest, value)) name = value;
    if (!name.empty() && OpenFileSlot(digit, name, append)) return true;
  }
  speech::WriteLineSpeak(kOpenError + name);
  return false;
}

// FECHA #n: closes the slot; a slot that is not open closes without error.
bool CmdFecha(const std::string& arguments) {
  std::string rest = arguments;
  char digit = 0;
  if (interp::ReadFileNumber(rest, digit) && CloseSlot(digit)) return true;
  speech::WriteLineSpeak(kCloseError);
  return false;
}

// CHECA V: V = the I/O status.
bool CmdCheca(const std::string& arguments) {
  std::string rest = arguments;
  int slot = 0;
  if (!interp::ReadVariableName(rest, slot) || !rest.empty()) return false;
  interp::SetVariable(slot, interp::NumberText(IoStatus()));
  return true;
}

// REMOVE name [&]
bool CmdRemove(const std::string& arguments) {
  std::string rest = arguments;
  bool quiet = TakeTrailingAmpersand(rest);
  std::string name;
  if (!interp::ReadOperand(rest, name) || name.empty()) return false;
  if (platform::files::Remove(name) || quiet) return true;
  speech::WriteLineSpeak(kRemoveError + name);
  return false;
}

// RENOMEIA old new [&]: renames or moves a file; never replaces one.
bool CmdRenomeia(const std::string& arguments) {
  std::string rest = arguments;
  bool quiet = TakeTrailingAmpersand(rest);
  std::string from, to;
  if (!ReadTwoNames(rest, from, to)) return false;
  return platform::files::MoveFile(from, to) || quiet;
}

// REPLICA source target [&]: copies a file byte for byte; stops at the
// first error, the target keeping what was written.
bool CmdReplica(const std::string& arguments) {
  std::string rest = arguments;
  bool quiet = TakeTrailingAmpersand(rest);
  std::string source, target;
  if (!ReadTwoNames(rest, source, target)) return false;
  using platform::files::CopyOutcome;
  CopyOutcome outcome = platform::files::CopyFile(source, target);
  if (outcome == CopyOutcome::Copied || quiet) return true;
  if (outcome == CopyOutcome::ReadFailed) speech::WriteLineSpeak(kReadError + source);
  if (outcome == CopyOutcome::WriteFailed) speech::WriteLineSpeak(kWriteError + target);
  return false;
}

// DIR CRIA name | DIR REMOVE name | DIR TROCA name, each with [&].
bool CmdDir(const std::string& arguments) {
  std::string rest = arguments;
  bool quiet = TakeTrailingAmpersand(rest);
  enum class Action { Create, Remove, Change } action;
  if (StartsWithKeyword(rest, "CRIA ")) action = Action::Create;
  else if (StartsWithKeyword(rest, "REMOVE ")) action = Action::Remove;
  else if (StartsWithKeyword(rest, "TROCA ")) action = Action::Change;
  else return false;
  rest = TrimmedText(std::string_view(rest).substr(rest.find(' ')));
  std::string name;
  if (!interp::ReadOperand(rest, name) || !rest.empty()) return false;
  bool done = false;
  switch (action) {
    case Action::Create: done = platform::files::MakeDirectory(name); break;
    case Action::Remove: done = platform::files::RemoveDirectory(name); break;
    case Action::Change: done = platform::files::ChangeDirectory(name); break;
  }
  if (done || quiet) return true;
  speech::WriteLineSpeak(kFolderError + name);
  return false;
}

// BUSCA V [DIR] pattern | BUSCA V DIR | BUSCA V PROXIMO | BUSCA V FIM
bool CmdBusca(const std::string& arguments) {
  std::string rest = arguments;
  int slot = 0;
  if (!interp::ReadVariableName(rest, slot) || rest.empty()) return false;
  bool directories = false;
  if (StartsWithKeyword(rest, "DIR")) {
    directories = true;
    rest = TrimmedText(std::string_view(rest).substr(std::min<size_t>(4, rest.size())));
  }
  std::string found;
  if (StartsWithKeyword(rest, "FIM")) {
    EndDirectorySearch();
    found = interp::Variable(slot);
  } else if (StartsWithKeyword(rest, "PR\xD3XIMO") || StartsWithKeyword(rest, "PROXIMO")) {
    if (!TrimmedText(std::string_view(rest).substr(7)).empty()) return false;
    found = NextEntry();
  } else if (rest.empty()) {
    found = platform::files::CurrentDirectory();
  } else {
    std::string pattern;
    if (!interp::ReadOperand(rest, pattern) || !rest.empty()) return false;
    DirectorySearch& search = Search();
    search.entries = platform::files::Find(pattern);
    search.next = 0;
    search.directories = directories;
    search.active = true;
    found = NextEntry();
  }
  interp::SetVariable(slot, TrimmedText(found));
  return true;
}

namespace {

// TAMARQ and HTAMARQ: V = the size of the file, as `format` writes it. A
// missing file is said and fails.
bool SizeCommand(const std::string& arguments, std::string (*format)(int64_t size)) {
  std::string name;
  int slot = 0;
  int64_t size = 0;
  if (!ReadSizeOperands(arguments, name, slot, size)) return false;
  if (size < 0) {
    speech::WriteLineSpeak(kOpenError + name);
    return false;
  }
  interp::SetVariable(slot, format(size));
  return true;
}

}  // namespace

// TAMARQ name V: V = the size in bytes.
bool CmdTamarq(const std::string& arguments) {
  return SizeCommand(arguments, [](int64_t size) { return interp::NumberText(size); });
}

// HTAMARQ name V: V = the size in readable units.
bool CmdHtamarq(const std::string& arguments) {
  return SizeCommand(arguments, [](int64_t size) { return ReadableSize(size, DecimalSeparator()); });
}

std::string ReadableSize(int64_t bytes, char separator) {
  static const char* const kUnits[] = {" B", "KB", " MB", "GB", " TB"};
  double value = static_cast<double>(bytes);
  int divisions = 0;
  while (value >= 1024) {
    value /= 1024;
    ++divisions;
  }
  // Formatted by hand, so the C library's locale cannot change it.
  long long hundredths = std::llround(value * 100);
  std::string result = std::to_string(hundredths / 100);
  result += separator;
  result += static_cast<char>('0' + hundredths % 100 / 10);
  result += static_cast<char>('0' + hundredths % 10);
  if (divisions < 5) result += kUnits[divisions];
  return result;
}

void EndDirectorySearch() {
  DirectorySearch& search = Search();
  search.active = false;
  search.entries.clear();
  search.next = 0;
}

}  // namespace data
