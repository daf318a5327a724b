// files: script file names on Linux.
//
// Divisions of this file:
//   - name folding and wildcard matching (Latin-1, case-insensitive);
//   - splitting a script name into its root and components;
//   - NativePath, with the case-insensitive component lookup;
//   - file operations over the native path;
//   - the directory search (Find) and temporary names.
#ifndef _FILE_OFFSET_BITS
#define _FILE_OFFSET_BITS 64  // 64-bit sizes also on 32-bit builds
#endif
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <random>

#include "platform/files_temp.h"
#include "platform/text.h"

namespace platform::files {
namespace {

static_assert(sizeof(off_t) >= 8, "file sizes over 4 GiB need a 64-bit off_t");

// ---------------------------------------------------------------------------
// Folding and matching

// The upper-case form of a Windows-1252 byte: ASCII letters, the accented
// letters 224-254 (except the division sign), and the pairs that live in
// 0x80-0x9F (š/Š, œ/Œ, ž/Ž, ÿ/Ÿ).
unsigned char FoldCase(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 224 && c <= 254 && c != 247) return static_cast<unsigned char>(c - 32);
  switch (c) {
    case 0x9A: return 0x8A;  // š
    case 0x9C: return 0x8C;  // œ
    case 0x9E: return 0x8E;  // ž
    case 0xFF: return 0x9F;  // ÿ
    default: return c;
  }
}

bool SameFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// True when the rest of a pattern may match the end of a name: only "*"s,
// optionally followed by "." and one or more "*"s, so that "*.*" also takes
// names without an extension, as the Windows search does.
bool TailMatchesEnd(std::string_view pattern) {
  size_t i = 0;
  while (i < pattern.size() && pattern[i] == '*') ++i;
  if (i == pattern.size()) return true;
  if (pattern[i] != '.' || i + 1 == pattern.size()) return false;
  return pattern.find_first_not_of('*', i + 1) == std::string_view::npos;
}

// Orders entries the way a listing is read: "." and ".." first, then names
// case-insensitively, then byte order to keep equal-looking names stable.
bool EntryBefore(const Entry& a, const Entry& b) {
  auto rank = [](const std::string& name) { return name == "." ? 0 : name == ".." ? 1 : 2; };
  int rank_a = rank(a.name), rank_b = rank(b.name);
  if (rank_a != rank_b) return rank_a < rank_b;
  size_t common = std::min(a.name.size(), b.name.size());
  for (size_t i = 0; i < common; ++i) {
    unsigned char x = FoldCase(static_cast<unsigned char>(a.name[i]));
    unsigned char y = FoldCase(static_cast<unsigned char>(b.name[i]));
    if (x != y) return x < y;
  }
  if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
  return a.name < b.name;
}

// ---------------------------------------------------------------------------
// Splitting names

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasDrive(const std::string& name) {
  unsigned char first = name.empty() ? 0 : static_cast<unsigned char>(name[0]);
  bool letter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
  return letter && name.size() >= 2 && name[1] == ':';
}

// The native root of drive `letter`: $MIRANE_DRIVE_X, else "/"; never ends
// in "/" unless it is "/" itself.
std::string DriveRoot(char letter) {
  std::string variable = "MIRANE_DRIVE_";
  variable += static_cast<char>(FoldCase(static_cast<unsigned char>(letter)));
  const char* value = std::getenv(variable.c_str());
  std::string root = (value && *value) ? value : "/";
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

// A script name taken apart: the native root ("" for a relative name), the
// Latin-1 components between separators, and whether a separator ended it.
struct SplitName {
  std::string root;
  std::vector<std::string> components;
  bool trailing_separator = false;
  bool root_only = false;  // names a drive root or "\" itself
};

// Appends one native component to a native path.
std::string JoinNative(const std::string& base, const std::string& component) {
  if (base.empty()) return component;
  if (base.back() == '/') return base + component;
  return base + "/" + component;
}

// The native folders that drives stand for: "/" and every $MIRANE_DRIVE_X,
// each also in its real spelling (links resolved), as the current folder is.
std::vector<std::string> DriveRoots() {
  std::vector<std::string> roots{"/"};
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    std::string root = DriveRoot(letter);
    if (root == "/") continue;
    roots.push_back(root);
    if (char* real = ::realpath(root.c_str(), nullptr)) {
      roots.push_back(real);
      std::free(real);
    }
  }
  return roots;
}

bool IsDriveRoot(const std::string& folder) {
  std::string trimmed = folder;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  for (const std::string& root : DriveRoots())
    if (trimmed == root) return true;
  return false;
}

// Splits a native absolute folder into the drive root that holds it (the
// longest one) and the native components below that root.
void SplitAtDriveRoot(const std::string& folder, std::string& root, std::vector<std::string>& below) {
  root = "/";
  for (const std::string& candidate : DriveRoots()) {
    bool inside = folder == candidate ||
                  (folder.size() > candidate.size() && folder.compare(0, candidate.size(), candidate) == 0 &&
                   (candidate == "/" || folder[candidate.size()] == '/'));
    if (inside && candidate.size() > root.size()) root = candidate;
  }
  below.clear();
  size_t start = root.size();
  while (start < folder.size()) {
    size_t end = folder.find('/', start);
    if (end == std::string::npos) end = folder.size();
    if (end > start) below.push_back(folder.substr(start, end - start));
    start = end + 1;
  }
}

std::string NativeCurrentFolder() {
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() > (1u << 20)) return "";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

// "." and ".." taken out of a split name as Windows does: ".." goes up one
// folder but never above the root of the drive the name is on, so a name
// never leaves its drive's folder. A relative name that goes up past its own
// components continues from the current folder, again no higher than the
// drive root the current folder is in.
void Confine(SplitName& split) {
  std::vector<std::string> kept;
  bool above = false;  // a relative name went above its first component
  int ups = 0;         // how far above, for a relative name
  for (std::string& component : split.components) {
    if (component == ".") continue;
    if (component == "..") {
      if (!kept.empty()) kept.pop_back();
      else if (split.root.empty()) {
        above = true;
        ++ups;
      }
      continue;
    }
    kept.push_back(std::move(component));
  }
  split.components = std::move(kept);
  if (above) {
    std::string root;
    std::vector<std::string> below;
    SplitAtDriveRoot(NativeCurrentFolder(), root, below);
    for (; ups > 0 && !below.empty(); --ups) below.pop_back();
    for (const std::string& component : below) root = JoinNative(root, component);
    split.root = root;
  }
}

SplitName Split(const std::string& name) {
  SplitName split;
  size_t pos = 0;
  if (HasDrive(name)) {
    split.root = DriveRoot(name[0]);
    pos = 2;
  } else if (!name.empty() && IsSeparator(name[0])) {
    split.root = "/";
  }
  std::string current;
  for (; pos < name.size(); ++pos) {
    if (IsSeparator(name[pos])) {
      if (!current.empty()) split.components.push_back(current);
      current.clear();
    } else {
      current += name[pos];
    }
  }
  if (!current.empty()) split.components.push_back(current);
  split.trailing_separator = !name.empty() && IsSeparator(name.back());
  Confine(split);
  split.root_only = !split.root.empty() && split.components.empty();
  return split;
}

// True when something (even a dangling link) has this native path.
bool NativeExists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

// RAII for an open directory stream.
class DirectoryReader {
 public:
  explicit DirectoryReader(const std::string& path)
      : stream_(::opendir(path.empty() ? "." : path.c_str())) {}
  ~DirectoryReader() {
    if (stream_) ::closedir(stream_);
  }
  DirectoryReader(const DirectoryReader&) = delete;
  DirectoryReader& operator=(const DirectoryReader&) = delete;

  bool IsOpen() const { return stream_ != nullptr; }
  // The next native entry name, or false at the end.
  bool Next(std::string& name) {
    if (!stream_) return false;
    struct dirent* entry = ::readdir(stream_);
    if (!entry) return false;
    name = entry->d_name;
    return true;
  }

 private:
  DIR* stream_;
};

// The native name inside folder `folder` that equals the Latin-1 `component`
// ignoring case; the smallest in byte order when several do; "" when none.
std::string FindIgnoringCase(const std::string& folder, const std::string& component) {
  DirectoryReader reader(folder);
  std::string native, best;
  while (reader.Next(native)) {
    if (native == "." || native == "..") continue;
    if (SameFolded(Utf8ToLatin1(native), component) && (best.empty() || native < best))
      best = native;
  }
  return best;
}

// The folder every name is kept inside, when tests and fuzzers ask for one.
std::string& Confined() {
  static std::string folder;
  return folder;
}

// The native path of a split name: its exact spelling when that exists,
// otherwise each component looked up case-insensitively from the left, the
// components from the first missing one on kept as given.
std::string Resolve(const SplitName& split) {
  std::string exact = split.root;
  for (const std::string& component : split.components)
    exact = JoinNative(exact, Latin1ToUtf8(component));
  if (!split.components.empty() && !NativeExists(exact)) {
    std::string resolved = split.root;
    size_t index = 0;
    for (; index < split.components.size(); ++index) {
      std::string native = Latin1ToUtf8(split.components[index]);
      std::string candidate = JoinNative(resolved, native);
      if (NativeExists(candidate)) {
        resolved = candidate;
        continue;
      }
      std::string found = FindIgnoringCase(resolved, split.components[index]);
      if (found.empty()) break;
      resolved = JoinNative(resolved, found);
    }
    for (; index < split.components.size(); ++index)
      resolved = JoinNative(resolved, Latin1ToUtf8(split.components[index]));
    exact = resolved;
  }
  if (split.trailing_separator && !split.components.empty()) exact += '/';
  if (!Confined().empty() && !exact.empty() && exact[0] == '/' && exact != Confined() &&
      exact.compare(0, Confined().size() + 1, Confined() + "/") != 0)
    return "";
  return exact;
}

// stat of a script name; false when it cannot be examined.
bool StatName(const std::string& name, struct stat& info) {
  std::string path = NativePath(name);
  return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

// True when the mode bits that apply to us (owner, group or others) give no
// write permission. The bits are read, not access(): the administrator may
// write anything, yet a read-only file stays read-only for the scripts.
bool ModeReadOnly(const struct stat& info) {
  if (info.st_uid == ::geteuid()) return (info.st_mode & S_IWUSR) == 0;
  if (info.st_gid == ::getegid()) return (info.st_mode & S_IWGRP) == 0;
  return (info.st_mode & S_IWOTH) == 0;
}

// One search result from the stat of its native path.
Entry MakeEntry(const std::string& folder, const std::string& native_name) {
  Entry entry;
  entry.name = Utf8ToLatin1(native_name);
  std::string path = JoinNative(folder.empty() ? "." : folder, native_name);
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 && ::lstat(path.c_str(), &info) != 0) return entry;
  entry.directory = S_ISDIR(info.st_mode);
  entry.size = entry.directory ? 0 : static_cast<int64_t>(info.st_size);
  entry.hidden = native_name[0] == '.' && native_name != "." && native_name != "..";
  entry.read_only = ModeReadOnly(info);
  return entry;
}

}  // namespace

// ---------------------------------------------------------------------------
// Names

void ConfineForTests(const std::string& folder) {
  Confined() = folder;
  while (Confined().size() > 1 && Confined().back() == '/') Confined().pop_back();
}

std::string NativePath(const std::string& name) {
  if (name.empty()) return "";
  return Resolve(Split(name));
}

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  // matches[j] tells whether pattern[i..] matches name[j..], filled from the
  // last pattern character back to the first.
  const size_t length = name.size();
  std::vector<char> next(length + 1), current(length + 1);
  for (size_t j = 0; j <= length; ++j) next[j] = j == length;
  for (size_t i = pattern.size(); i-- > 0;) {
    const char p = pattern[i];
    current[length] = TailMatchesEnd(std::string_view(pattern).substr(i));
    for (size_t j = length; j-- > 0;) {
      if (p == '*') {
        current[j] = next[j] || current[j + 1];
      } else if (p == '?') {
        current[j] = next[j + 1];
      } else {
        current[j] = FoldCase(static_cast<unsigned char>(p)) ==
                         FoldCase(static_cast<unsigned char>(name[j])) &&
                     next[j + 1];
      }
    }
    std::swap(next, current);
  }
  return next[0];
}

// ---------------------------------------------------------------------------
// Files

bool Exists(const std::string& name) {
  struct stat info;
  return StatName(name, info);
}

bool IsDirectory(const std::string& name) {
  struct stat info;
  return StatName(name, info) && S_ISDIR(info.st_mode);
}

bool IsRegularFile(const std::string& name) {
  struct stat info;
  return StatName(name, info) && S_ISREG(info.st_mode);
}

bool IsDevice(const std::string& name) {
  struct stat info;
  return StatName(name, info) && (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode));
}

int64_t FileSize(const std::string& name) {
  struct stat info;
  if (!StatName(name, info) || S_ISDIR(info.st_mode)) return -1;
  return static_cast<int64_t>(info.st_size);
}

std::FILE* Open(const std::string& name, const char* mode) {
  std::string path = NativePath(name);
  if (path.empty() || !mode) {
    errno = ENOENT;
    return nullptr;
  }
  // "e": close on exec, so programs started by scripts do not inherit it.
  std::string native_mode = std::string(mode) + "e";
  std::FILE* file = std::fopen(path.c_str(), native_mode.c_str());
  if (!file) return nullptr;
  struct stat info;
  if (::fstat(::fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(file);  // a folder is not a file to read, as on Windows
    errno = EISDIR;
    return nullptr;
  }
  return file;
}

bool ReadAll(const std::string& name, std::string& contents) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(Open(name, "rb"), std::fclose);
  if (!file) return false;
  std::string data;
  char buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) data.append(buffer, count);
  if (std::ferror(file.get())) return false;
  contents = std::move(data);
  return true;
}

bool IsReadOnly(const std::string& name) {
  struct stat info;
  return StatName(name, info) && ModeReadOnly(info);
}

bool Remove(const std::string& name) {
  std::string path = NativePath(name);
  if (path.empty()) return false;
  struct stat info;
  if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ModeReadOnly(info)) {
    errno = EACCES;  // a read-only file is not deleted, as on Windows
    return false;
  }
  return ::unlink(path.c_str()) == 0;
}

bool Rename(const std::string& from, const std::string& to) {
  std::string source = NativePath(from);
  struct stat source_info;
  if (source.empty() || ::lstat(source.c_str(), &source_info) != 0) return false;
  SplitName split = Split(to);
  if (split.components.empty()) return false;
  std::string target = Resolve(split);
  struct stat target_info;
  if (::lstat(target.c_str(), &target_info) == 0) {
    bool same_file =
        target_info.st_dev == source_info.st_dev && target_info.st_ino == source_info.st_ino;
    // An existing target is never replaced (its contents would be lost), but
    // renaming a file to another spelling of its own name changes the case.
    if (!same_file) {
      errno = EEXIST;
      return false;
    }
    std::string last = Latin1ToUtf8(split.components.back());
    split.components.pop_back();
    split.trailing_separator = false;
    target = JoinNative(Resolve(split), last);
    if (target == source) return true;
  }
  return ::rename(source.c_str(), target.c_str()) == 0;
}

bool MakeDirectory(const std::string& name) {
  std::string path = NativePath(name);
  return !path.empty() && ::mkdir(path.c_str(), 0777) == 0;
}

bool ChangeDirectory(const std::string& name) {
  std::string path = NativePath(name);
  return !path.empty() && ::chdir(path.c_str()) == 0;
}

std::string CurrentDirectory() { return Utf8ToLatin1(NativeCurrentFolder()); }

// ---------------------------------------------------------------------------
// Search and temporary names

std::vector<Entry> Find(const std::string& pattern) {
  std::vector<Entry> entries;
  size_t cut = pattern.find_last_of("\\/");
  if (cut == std::string::npos && HasDrive(pattern)) cut = 1;  // "C:*.TXT"
  std::string folder = cut == std::string::npos ? "" : pattern.substr(0, cut + 1);
  std::string wildcard = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
  if (wildcard.empty()) return entries;

  SplitName split = Split(folder);
  std::string native_folder = folder.empty() ? "" : Resolve(split);
  // A drive root has no "." and ".." entries in the Windows search.
  bool root = split.root_only || IsDriveRoot(native_folder) ||
              (folder.empty() && IsDriveRoot(NativeCurrentFolder()));
  DirectoryReader reader(native_folder);
  if (!reader.IsOpen()) return entries;
  std::string native;
  while (reader.Next(native)) {
    if (root && (native == "." || native == "..")) continue;
    if (!WildcardMatch(wildcard, Utf8ToLatin1(native))) continue;
    entries.push_back(MakeEntry(native_folder, native));
  }
  std::sort(entries.begin(), entries.end(), EntryBefore);
  return entries;
}

std::string TemporaryPath(const std::string& prefix, const std::string& suffix) {
  static std::atomic<unsigned> counter{0};
  std::string folder = TemporaryFolder();
  if (folder.empty()) return "";
  std::random_device device;
  for (int attempt = 0; attempt < 100; ++attempt) {
    // The process id first: a later run removes what an ended run left.
    std::string unique = std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
                         std::to_string(device() % 1000000) + "-";
    std::string path = JoinNative(folder, unique + Latin1ToUtf8(prefix + suffix));
    // Creating the file claims the name, so two callers never share it.
    int handle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (handle >= 0) {
      ::close(handle);
      return Utf8ToLatin1(path);
    }
    if (errno != EEXIST) return "";
  }
  return "";
}

}  // namespace platform::files
