// settings: MIRANE.INI as every part of the system reads it.
#include "speech/settings.h"

#include "platform/files.h"
#include "platform/lifecycle.h"
#include "platform/settings.h"
#include "platform/text.h"

namespace speech {
namespace {

const char kSettingsFile[] = "MIRANE.INI";
const size_t kValueLength = 255;  // the profile buffer held 255 characters and the end mark

bool g_start_recorded = false;
std::string g_start_folder;  // Latin-1, no trailing separator

// The settings file as the profile reader takes it: the bare name when
// MIRANE.INI is in the Windows folder, else the copy in the start folder.
std::string SettingsFile() {
  std::string windows_folder = platform::Utf8ToLatin1(platform::WindowsFolder());
  if (windows_folder.empty() || windows_folder.back() != '/') windows_folder += '/';
  if (platform::files::Exists(windows_folder + kSettingsFile)) return kSettingsFile;
  return StartFolder() + "/" + kSettingsFile;
}

// The folder that "@" stands for: [MIRANE] PGMMIRANE, unless it is empty or
// itself begins with "@", in which case the start folder.
std::string BaseFolder(const std::string& file) {
  std::string base = platform::ProfileString(file, "MIRANE", "PGMMIRANE", "", kValueLength);
  if (base.empty() || base[0] == '@') return StartFolder();
  return base;
}

// Replaces a leading "@" and the "@" of every "@\" by the base folder; the
// inserted text is never looked at again.
std::string ExpandBase(const std::string& value, const std::string& file) {
  if (value.find('@') == std::string::npos) return value;
  const std::string base = BaseFolder(file);
  std::string done, rest = value;
  while (!rest.empty()) {
    if (done.empty() && rest[0] == '@') {
      done = base;
      rest.erase(0, 1);
      continue;
    }
    size_t at = rest.find("@\\");
    if (at == std::string::npos) break;
    done += rest.substr(0, at) + base;
    rest.erase(0, at + 1);
  }
  return done + rest;
}

}  // namespace

void RecordStartFolder() {
  g_start_folder = platform::files::CurrentDirectory();
  while (!g_start_folder.empty() && (g_start_folder.back() == '/' || g_start_folder.back() == '\\'))
    g_start_folder.pop_back();
  g_start_recorded = true;
}

const std::string& StartFolder() {
  if (!g_start_recorded) RecordStartFolder();
  return g_start_folder;
}

std::string ReadSetting(const std::string& section, const std::string& key) {
  const std::string file = SettingsFile();
  const std::string value = platform::ProfileString(file, section.empty() ? "MIRANE" : section, key,
                                                    "", kValueLength);
  return ExpandBase(value, file);
}

char UpperCasePt(char c) {
  unsigned char byte = static_cast<unsigned char>(c);
  if ((byte >= 'a' && byte <= 'z') || byte >= 224) return static_cast<char>(byte - 32);
  return c;
}

std::string UpperCasePt(std::string text) {
  for (char& c : text) c = UpperCasePt(c);
  return text;
}

}  // namespace speech

namespace speech {

std::string VoiceFolderSetting(const std::string& key, const std::string& default_folder, const std::string& subfolder,
                               size_t max_length) {
  if (platform::ProfileKeyExists("MIRANE.INI", "TRADUTOR", key) || platform::files::IsDirectory(default_folder))
    return platform::ProfileString("MIRANE.INI", "TRADUTOR", key, default_folder, max_length);
#ifdef TESSEL_BUILT_VOICE_DIR
  std::string built_in = std::string(TESSEL_BUILT_VOICE_DIR) + "/" + subfolder;
  if (platform::files::IsDirectory(built_in)) return built_in;
#endif
  // An installed program: its voice is in share/tessel/voice beside bin/
  // (or in the usual prefixes, when the program's folder cannot be known).
  std::string program_folder = platform::ProgramFolder();
  const std::string shares[] = {program_folder.empty() ? std::string() : program_folder + "/../share",
                                "/usr/local/share", "/usr/share"};
  for (const std::string& share : shares) {
    if (share.empty()) continue;
    std::string installed = share + "/tessel/voice/" + subfolder;
    if (platform::files::IsDirectory(installed)) return installed;
  }
  return default_folder;
}

}  // namespace speech
