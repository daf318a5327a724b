// settings: the profile (INI) reader and the Windows folder.
//
// A profile file is parsed once into its sections and keys and kept in a
// cache keyed by its native path; the cached copy is used while the file's
// modification time, size and inode stay the same, since some commands read
// settings many times per second.
#include "platform/settings.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"

namespace platform {
namespace {

// One "[section]" of a profile with its "key=value" lines in file order.
struct Section {
  std::string name;
  std::vector<std::pair<std::string, std::string>> keys;
};

// A parsed profile and the identity of the file it came from.
struct CachedProfile {
  bool found = false;  // the file existed and could be read
  int64_t modified_ns = 0;
  int64_t size = 0;
  uint64_t inode = 0;
  std::vector<Section> sections;
};

std::mutex g_cache_mutex;
std::map<std::string, CachedProfile> g_cache;

// The upper-case form of a Windows-1252 byte, for section and key names.
unsigned char FoldCase(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 224 && c <= 254 && c != 247) return static_cast<unsigned char>(c - 32);
  switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
  }
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// Drops one pair of matching double or single quotes around a value.
std::string Unquote(const std::string& value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// Parses profile text (Latin-1, or UTF-8 converted here) into sections.
// Lines before the first section, ";" comments and lines without "=" are
// not settings.
std::vector<Section> Parse(const std::string& bytes) {
  std::string text = IsUtf8Text(bytes) ? Utf8ToLatin1(bytes) : bytes;
  std::vector<Section> sections;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = Trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      sections.push_back(Section{Trim(line.substr(1, close == std::string::npos ? std::string::npos
                                                                                 : close - 1)),
                                 {}});
      continue;
    }
    size_t equals = line.find('=');
    if (equals == std::string::npos || sections.empty()) continue;
    sections.back().keys.emplace_back(Trim(line.substr(0, equals)),
                                      Unquote(Trim(line.substr(equals + 1))));
  }
  return sections;
}

// Reads a whole file given by its native path.
bool ReadNative(const std::string& path, std::string& bytes) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rbe"), std::fclose);
  if (!file) return false;
  char buffer[16384];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, count);
  return std::ferror(file.get()) == 0;
}

// The native path of a profile name: a bare name lives in the Windows folder.
std::string ProfilePath(const std::string& file) {
  if (file.find_first_of("\\/:") == std::string::npos)
    return files::NativePath(Utf8ToLatin1(WindowsFolder()) + "/" + file);
  return files::NativePath(file);
}

// Looks up a key in the current contents of a profile file. Returns false
// when the file, the section or the key is missing; `value` is then unset.
bool Lookup(const std::string& file, const std::string& section, const std::string& key,
            std::string& value) {
  std::string path = ProfilePath(file);
  if (path.empty()) return false;
  struct stat info;
  std::lock_guard<std::mutex> lock(g_cache_mutex);
  if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
    g_cache.erase(path);
    return false;
  }
  int64_t modified_ns = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  CachedProfile& cached = g_cache[path];
  if (!cached.found || cached.modified_ns != modified_ns || cached.size != info.st_size ||
      cached.inode != info.st_ino) {
    std::string bytes;
    if (!ReadNative(path, bytes)) {
      g_cache.erase(path);
      return false;
    }
    cached.found = true;
    cached.modified_ns = modified_ns;
    cached.size = info.st_size;
    cached.inode = info.st_ino;
    cached.sections = Parse(bytes);
  }
  for (const Section& candidate : cached.sections) {
    if (!SameIgnoringCase(candidate.name, section)) continue;
    // Only the first section of that name counts.
    for (const auto& [name, text] : candidate.keys) {
      if (SameIgnoringCase(name, key)) {
        value = text;
        return true;
      }
    }
    return false;
  }
  return false;
}

}  // namespace

std::string WindowsFolder() {
  const char* variable = std::getenv("MIRANE_WINDIR");
  std::string folder = (variable && *variable) ? variable : "/etc/mirane";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string ProfileString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& default_value,
                          size_t max_length) {
  std::string value;
  if (!Lookup(file, section, key, value)) value = default_value;
  if (value.size() > max_length) value.resize(max_length);
  return value;
}

bool ProfileKeyExists(const std::string& file, const std::string& section, const std::string& key) {
  std::string value;
  return Lookup(file, section, key, value);
}

}  // namespace platform
