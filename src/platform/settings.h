// settings: the profile (INI) reader with the Windows profile rules, and the
// Windows folder where MIRANE.INI lives.
#pragma once
#include <cstddef>
#include <string>

namespace platform {

// The Windows folder, as a native path without a trailing "/":
// $MIRANE_WINDIR, else "/etc/mirane".
std::string WindowsFolder();

// Reads `key` of `section` from the profile file `file`, as the Windows
// profile-string function does. A bare file name (no "\", "/" or ":") means
// that name in the Windows folder; any other name goes through the files
// layer. Sections and keys compare case-insensitively; the first matching
// section and, inside it, the first matching key win; blanks around keys
// and values are removed, and one pair of double or single quotes around the
// whole value is dropped. The value is cut to `max_length` characters.
// Returns `default_value` when the file, section or key is missing.
std::string ProfileString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& default_value,
                          size_t max_length = 255);

// True when the key is present in the section (even with an empty value).
bool ProfileKeyExists(const std::string& file, const std::string& section, const std::string& key);

}  // namespace platform
