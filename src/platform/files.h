// files: script file names on Linux.
//
// Scripts name files the Windows way. "\" and "/" both separate; a drive
// "X:" maps to $MIRANE_DRIVE_X, else to "/"; a relative name is relative to
// the current folder. When a name does not exist exactly, each component is
// looked up case-insensitively. Names inside the system are Latin-1 bytes;
// on disk they are UTF-8.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform::files {

// The native (UTF-8) path a script name stands for.
std::string NativePath(const std::string& name);

// Tests and fuzzers: every name that resolves outside the native `folder`
// (an absolute path) then stands for no file at all, so scripts run on
// arbitrary input cannot touch the rest of the disk. "" lifts it.
void ConfineForTests(const std::string& folder);

bool Exists(const std::string& name);
bool IsDirectory(const std::string& name);
// A plain file: not a folder, device, pipe or socket.
bool IsRegularFile(const std::string& name);
// A character or block device (such as /dev/zero, which never ends).
bool IsDevice(const std::string& name);
// Size in bytes, or -1 when the file cannot be examined.
int64_t FileSize(const std::string& name);

// fopen of the native path; `mode` as for fopen.
std::FILE* Open(const std::string& name, const char* mode);
// Reads a whole file; false when it cannot be read.
bool ReadAll(const std::string& name, std::string& contents);

// True when the file's permission bits give us no right to write it.
bool IsReadOnly(const std::string& name);

// Deletes a file; a read-only file is refused.
bool Remove(const std::string& name);
bool Rename(const std::string& from, const std::string& to);
bool MakeDirectory(const std::string& name);

bool ChangeDirectory(const std::string& name);
// The current folder as a Latin-1 name in Windows form ("C:\..." style is not
// invented: it is the native path with "/" kept).
std::string CurrentDirectory();

// A directory entry found by a search.
struct Entry {
  std::string name;  // Latin-1
  int64_t size = 0;
  bool directory = false;
  bool hidden = false;     // names starting with "."
  bool read_only = false;  // not writable by us
};

// Entries of the folder part of `pattern` whose names match its last part,
// "*" and "?" matching case-insensitively; "." and ".." are included for
// folders, as the Windows search does. Sorted by name.
std::vector<Entry> Find(const std::string& pattern);

// "*"/"?" wildcard match, case-insensitive on ASCII and Latin-1 letters.
bool WildcardMatch(const std::string& pattern, const std::string& name);

// A new empty temporary file in the program's temporary folder (see
// files_temp.h); its name, or "" when none could be made.
std::string TemporaryPath(const std::string& prefix, const std::string& suffix);

}  // namespace platform::files
