// files_temp: the program's temporary files, and files whose new contents
// replace the old only once they are wholly written.
#pragma once
#include <cstdio>
#include <string>

namespace platform::files {

// The program's own folder under the system's temporary folder ($TMPDIR or
// /tmp), one per user, created on first use. A native path; "" when no such
// folder can be had.
std::string TemporaryFolder();

// Program start: removes what runs that ended without cleaning up (killed,
// or out of power) left behind: their temporary files, and the half-written
// replacement files beside the targets they were writing. Files of runs
// still alive are left alone.
void RemoveStaleTemporaryFiles();

// The new contents of a file. The bytes go to a temporary file beside the
// target, which takes the target's place only when Commit succeeds; until
// then the old file stays whole, whatever happens to the run. Destroyed
// without a successful Commit, the temporary file is removed. A target that
// is not a plain file (a device such as /dev/null, a pipe) is written
// directly. A read-only target is refused.
class Replacement {
 public:
  explicit Replacement(const std::string& target);
  ~Replacement();
  Replacement(const Replacement&) = delete;
  Replacement& operator=(const Replacement&) = delete;

  // The file to write; null when it could not be created.
  std::FILE* file() const { return file_; }
  // Writes everything out and puts the new file in the target's place;
  // false when any of it failed (the old target then stays as it was).
  bool Commit();

 private:
  void Discard();

  std::FILE* file_ = nullptr;
  std::string target_;     // native
  std::string temporary_;  // native; empty when writing the target directly
  std::string marker_;     // native; the note that lets a later run clean up
};

}  // namespace platform::files
