// The program's temporary folder and replacement files.
//
// Every temporary file's name starts with the process id of the run that
// made it, so a later run can tell the files of ended runs from those of
// runs still going. A replacement file lives beside its target (the final
// rename must stay on one file system); a note in the temporary folder,
// "<pid>-<n>.pending", holds its path until it is renamed or removed.
#ifndef _FILE_OFFSET_BITS
#define _FILE_OFFSET_BITS 64
#endif
#include "platform/files_temp.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"

namespace platform::files {
namespace {

constexpr char kReplacementPrefix[] = ".tessel-";
constexpr char kReplacementSuffix[] = ".tmp";
constexpr char kMarkerSuffix[] = ".pending";

std::atomic<unsigned> g_counter{0};

std::string SystemTemporaryFolder() {
  const char* variable = std::getenv("TMPDIR");
  std::string folder = (variable && *variable) ? variable : "/tmp";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

// A folder that is ours alone: a real folder (not a link), owned by us.
bool OwnFolder(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
}

bool EndsWith(const std::string& text, const char* suffix) {
  size_t length = std::strlen(suffix);
  return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

// The process id a temporary name starts with; 0 when it starts otherwise.
long OwnerOf(const std::string& name) {
  long pid = 0;
  size_t i = 0;
  for (; i < name.size() && i < 10 && name[i] >= '0' && name[i] <= '9'; ++i) pid = pid * 10 + (name[i] - '0');
  return i > 0 && i < name.size() && name[i] == '-' ? pid : 0;
}

// No write permission for us in the mode bits (as the files layer reads them).
bool ReadOnly(const struct stat& info) {
  if (info.st_uid == ::geteuid()) return (info.st_mode & S_IWUSR) == 0;
  if (info.st_gid == ::getegid()) return (info.st_mode & S_IWGRP) == 0;
  return (info.st_mode & S_IWOTH) == 0;
}

bool Alive(long pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }

// Removes the replacement file a note names (only a file of ours by name).
void RemoveNoted(const std::string& marker) {
  int handle = ::open(marker.c_str(), O_RDONLY | O_CLOEXEC);
  if (handle < 0) return;
  char buffer[4097];
  ssize_t count = ::read(handle, buffer, sizeof buffer - 1);
  ::close(handle);
  if (count <= 0) return;
  std::string path(buffer, static_cast<size_t>(count));
  size_t slash = path.rfind('/');
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (base.compare(0, std::strlen(kReplacementPrefix), kReplacementPrefix) == 0 &&
      EndsWith(base, kReplacementSuffix))
    ::unlink(path.c_str());
}

bool WriteNote(const std::string& marker, const std::string& text) {
  int handle = ::open(marker.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (handle < 0) return false;
  bool written = ::write(handle, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return ::close(handle) == 0 && written;
}

}  // namespace

std::string TemporaryFolder() {
  std::string base = SystemTemporaryFolder();
  std::string folder = base + "/tessel-" + std::to_string(::geteuid());
  if (::mkdir(folder.c_str(), 0700) == 0 || (errno == EEXIST && OwnFolder(folder))) return folder;
  // Someone else holds that name: a folder of this run's own instead.
  static std::string fallback;
  if (fallback.empty() || !OwnFolder(fallback)) {
    std::string pattern = base + "/tessel-" + std::to_string(::geteuid()) + "-XXXXXX";
    fallback = ::mkdtemp(pattern.data()) ? pattern : "";
  }
  return fallback;
}

void RemoveStaleTemporaryFiles() {
  std::string folder = TemporaryFolder();
  if (folder.empty()) return;
  DIR* stream = ::opendir(folder.c_str());
  if (!stream) return;
  while (struct dirent* entry = ::readdir(stream)) {
    std::string name = entry->d_name;
    long pid = OwnerOf(name);
    if (pid <= 0 || pid == ::getpid() || Alive(pid)) continue;
    std::string path = folder + "/" + name;
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) continue;
    if (EndsWith(name, kMarkerSuffix)) RemoveNoted(path);
    ::unlink(path.c_str());
  }
  ::closedir(stream);
}

Replacement::Replacement(const std::string& target) {
  target_ = NativePath(target);
  if (target_.empty()) return;
  struct stat info;
  bool exists = ::lstat(target_.c_str(), &info) == 0;
  if (exists && S_ISLNK(info.st_mode)) {
    // A link keeps pointing where it did: the file it reaches is replaced.
    char* real = ::realpath(target_.c_str(), nullptr);
    if (real) {
      target_ = real;
      std::free(real);
    }
    exists = ::stat(target_.c_str(), &info) == 0;
  }
  if (exists && S_ISDIR(info.st_mode)) return;
  if (exists && !S_ISREG(info.st_mode)) {
    file_ = std::fopen(target_.c_str(), "wbe");
    return;
  }
  if (exists && ReadOnly(info)) {
    errno = EACCES;
    return;
  }
  size_t slash = target_.rfind('/');
  std::string folder = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
  std::string unique = std::to_string(::getpid()) + "-" + std::to_string(g_counter++);
  std::string temporary = folder + kReplacementPrefix + unique + kReplacementSuffix;
  std::string notes = TemporaryFolder();
  if (!notes.empty()) {
    std::string marker = notes + "/" + unique + kMarkerSuffix;
    if (WriteNote(marker, temporary)) marker_ = marker;
  }
  mode_t mode = exists ? (info.st_mode & 07777) : 0666;
  int handle = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (handle < 0) {
    Discard();
    return;
  }
  temporary_ = temporary;
  if (exists) {
    // The old file's owner (where we may give it) and permissions, whatever
    // the umask.
    if (::fchown(handle, info.st_uid, info.st_gid) != 0) errno = 0;  // not ours to give: it stays ours
    (void)::fchmod(handle, mode);
  }
  file_ = ::fdopen(handle, "wb");
  if (!file_) {
    ::close(handle);
    Discard();
  }
}

Replacement::~Replacement() { Discard(); }

void Replacement::Discard() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  if (!marker_.empty()) ::unlink(marker_.c_str());
  marker_.clear();
}

bool Replacement::Commit() {
  if (!file_) return false;
  std::FILE* file = file_;
  file_ = nullptr;
  bool ok = std::fflush(file) == 0;
  if (ok && !temporary_.empty()) ok = ::fsync(::fileno(file)) == 0;
  if (std::fclose(file) != 0) ok = false;
  if (ok && !temporary_.empty()) {
    ok = ::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (ok) temporary_.clear();
  }
  Discard();
  return ok;
}

}  // namespace platform::files
