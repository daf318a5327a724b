// File operations beyond files.h: folders, same-file tests, copies and moves.
#ifndef _FILE_OFFSET_BITS
#define _FILE_OFFSET_BITS 64
#endif
#include "platform/files_extra.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/files.h"
#include "platform/files_temp.h"

namespace platform::files {

bool RemoveDirectory(const std::string& name) {
  std::string path = NativePath(name);
  return !path.empty() && ::rmdir(path.c_str()) == 0;
}

bool SameFile(const std::string& first, const std::string& second) {
  std::string a = NativePath(first), b = NativePath(second);
  struct stat info_a, info_b;
  if (a.empty() || b.empty() || ::stat(a.c_str(), &info_a) != 0 || ::stat(b.c_str(), &info_b) != 0)
    return false;
  return info_a.st_dev == info_b.st_dev && info_a.st_ino == info_b.st_ino;
}

namespace {

// RAII for a file descriptor.
class Descriptor {
 public:
  explicit Descriptor(int handle) : handle_(handle) {}
  ~Descriptor() {
    if (handle_ >= 0) ::close(handle_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return handle_; }
  // Closes now; false when the close reported an error.
  bool Close() {
    int handle = handle_;
    handle_ = -1;
    return handle < 0 || ::close(handle) == 0;
  }

 private:
  int handle_;
};

enum class StreamResult { Done, ReadFailed, WriteFailed };

// Writes all of `size` bytes; false on an error.
bool WriteAll(int handle, const char* bytes, size_t size) {
  while (size > 0) {
    ssize_t written = ::write(handle, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

// Copies from the current position of `source` to its end, appending to
// `target`: in the kernel while it can, then (or when it cannot, or after an
// error, to tell a read error from a write error) through a buffer.
StreamResult CopyStream(int source, int target) {
  for (;;) {
    ssize_t copied = ::copy_file_range(source, nullptr, target, nullptr, 1 << 30, 0);
    if (copied == 0) return StreamResult::Done;
    if (copied < 0) {
      if (errno == EINTR) continue;
      break;
    }
  }
  std::vector<char> buffer(1 << 20);
  for (;;) {
    ssize_t count = ::read(source, buffer.data(), buffer.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return StreamResult::ReadFailed;
    if (count == 0) return StreamResult::Done;
    if (!WriteAll(target, buffer.data(), static_cast<size_t>(count))) return StreamResult::WriteFailed;
  }
}

// Copies a regular file to a new native path (which must not exist); the
// partial target is removed on failure.
bool CopyToNew(const std::string& source_path, const std::string& target_path, mode_t mode) {
  Descriptor source(::open(source_path.c_str(), O_RDONLY | O_CLOEXEC));
  if (source.get() < 0) return false;
  Descriptor target(::open(target_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 07777));
  if (target.get() < 0) return false;
  bool ok = CopyStream(source.get(), target.get()) == StreamResult::Done && ::fsync(target.get()) == 0;
  if (!target.Close()) ok = false;
  if (!ok) ::unlink(target_path.c_str());
  return ok;
}

}  // namespace

CopyOutcome CopyFile(const std::string& source, const std::string& target) {
  if (SameFile(source, target)) return CopyOutcome::TargetNotOpened;
  std::string source_path = NativePath(source), target_path = NativePath(target);
  if (source_path.empty()) return CopyOutcome::SourceNotOpened;
  Descriptor input(::open(source_path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info;
  // A device is no file to copy: /dev/zero would fill the disk.
  if (input.get() < 0 || ::fstat(input.get(), &info) != 0 || S_ISDIR(info.st_mode) || S_ISCHR(info.st_mode) ||
      S_ISBLK(info.st_mode))
    return CopyOutcome::SourceNotOpened;
  if (target_path.empty()) return CopyOutcome::TargetNotOpened;
  // The copy takes the target's place only once it is whole.
  Replacement output(target);
  if (!output.file()) return CopyOutcome::TargetNotOpened;
  switch (CopyStream(input.get(), ::fileno(output.file()))) {
    case StreamResult::ReadFailed: return CopyOutcome::ReadFailed;
    case StreamResult::WriteFailed: return CopyOutcome::WriteFailed;
    case StreamResult::Done: break;
  }
  return output.Commit() ? CopyOutcome::Copied : CopyOutcome::WriteFailed;
}

bool MoveFile(const std::string& from, const std::string& to) {
  if (Rename(from, to)) return true;
  if (errno != EXDEV) return false;
  std::string source = NativePath(from), target = NativePath(to);
  struct stat info;
  if (source.empty() || target.empty() || ::stat(source.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return false;
  if (!CopyToNew(source, target, info.st_mode)) return false;
  if (::unlink(source.c_str()) != 0) {
    ::unlink(target.c_str());  // the original stays; no second copy is left behind
    return false;
  }
  return true;
}

}  // namespace platform::files
