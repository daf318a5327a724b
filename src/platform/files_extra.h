// files_extra: file operations the data commands need beyond files.h, over
// the same script names (drives, "\" or "/", case-insensitive lookup).
#pragma once
#include <string>

namespace platform::files {

// Removes an empty folder.
bool RemoveDirectory(const std::string& name);

// True when both names reach the same file on disk (also through another
// spelling, a link or another letter case).
bool SameFile(const std::string& first, const std::string& second);

// Copies a file byte for byte into `target`. The copy is written beside the
// target and takes its place only when whole: after an error (or a killed
// run) the old target is as it was. A target that is the source itself is
// refused. The bytes are copied inside the system where it can.
enum class CopyOutcome { Copied, SourceNotOpened, TargetNotOpened, ReadFailed, WriteFailed };
CopyOutcome CopyFile(const std::string& source, const std::string& target);

// Renames or moves a file. An existing target is never replaced. Between
// two file systems (drives on different disks) the file is copied and the
// original removed only once the copy is complete.
bool MoveFile(const std::string& from, const std::string& to);

}  // namespace platform::files
