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

// Copies a regular file to a new native path (which must not exist); the
// partial target is removed on failure.
bool CopyToNew(const std::string& source_path, const std::string& target_path, mode_t mode) {
  Descriptor source(::open(source_path.c_str(), O_RDONLY | O_CLOEXEC));
  if (source.get() < 0) return false;
  Descriptor target(::open(target_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 07777));
  if (target.get() < 0) return false;
  std::vector<char> buffer(1 << 20);
  bool ok = true;
  for (;;) {
    ssize_t count = ::read(source.get(), buffer.data(), buffer.size());
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      ok = count == 0;
      break;
    }
    for (ssize_t done = 0; done < count && ok;) {
      ssize_t written = ::write(target.get(), buffer.data() + done, static_cast<size_t>(count - done));
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) ok = false;
      else done += written;
    }
    if (!ok) break;
  }
  if (ok) ok = ::fsync(target.get()) == 0;
  if (!target.Close()) ok = false;
  if (!ok) ::unlink(target_path.c_str());
  return ok;
}

}  // namespace

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
