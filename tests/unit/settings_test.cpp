// Tests of the profile reader (Windows profile rules), of ReadSetting with
// its "@" expansion and of UpperCasePt, on real files in a temporary folder.
#include "platform/settings.h"
#include "speech/settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;

using test_support::ScopedVariable;

// A temporary folder holding a Windows folder ("win") and a start folder
// ("start"); MIRANE_WINDIR points at the first.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tessel-settings-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    windows_ = root_ + "/win";
    start_ = root_ + "/start";
    fs::create_directories(windows_);
    fs::create_directories(start_);
    windir_.emplace("MIRANE_WINDIR", windows_);
  }
  void TearDown() override {
    windir_.reset();
    speech::RecordStartFolder();  // back to the real working folder
    fs::remove_all(root_);
  }
  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  // Records `start_` as the start folder without leaving the current one.
  void RecordStart() {
    fs::path saved = fs::current_path();
    fs::current_path(start_);
    speech::RecordStartFolder();
    fs::current_path(saved);
  }

  std::string root_, windows_, start_;
  std::optional<ScopedVariable> windir_;
};

TEST_F(SettingsTest, WindowsFolderComesFromTheEnvironment) {
  EXPECT_EQ(platform::WindowsFolder(), windows_);
  ScopedVariable trailing("MIRANE_WINDIR", windows_ + "/");
  EXPECT_EQ(platform::WindowsFolder(), windows_);
  ScopedVariable unset("MIRANE_WINDIR", std::nullopt);
  EXPECT_EQ(platform::WindowsFolder(), "/etc/mirane");
}

TEST_F(SettingsTest, ProfileStringFollowsTheProfileRules) {
  Write(windows_ + "/TEST.INI",
        "orphan=before any section\r\n"
        "; a comment line\r\n"
        "[Video]\r\n"
        "  Fonte  =  Courier New  \r\n"
        "CorFundo=1\r\n"
        "corfundo=2\r\n"
        "Aspas=\"  quoted  \"\r\n"
        "Simples='single'\r\n"
        "Meia=\"only one\r\n"
        "Mistas=\"mixed'\r\n"
        "Vazia=\r\n"
        "Igual=a=b\r\n"
        ";Comentada=1\r\n"
        "semigual\r\n"
        "[ braille ]\n"
        "Modo=6\n"
        "[VIDEO]\n"
        "Tamanho=second section is not read\n"
        "[Final]\n"
        "Sem fim de linha=ok");
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
    bool exists;
  } cases[] = {
      {"VIDEO", "FONTE", "Courier New", true},
      {"video", "fonte", "Courier New", true},
      {"Video", "CORFUNDO", "1", true},  // the first key wins
      {"Video", "Aspas", "  quoted  ", true},
      {"Video", "Simples", "single", true},
      {"Video", "Meia", "\"only one", true},
      {"Video", "Mistas", "\"mixed'", true},
      {"Video", "Vazia", "", true},
      {"Video", "Igual", "a=b", true},
      {"Video", "Comentada", "default", false},
      {"Video", ";Comentada", "default", false},
      {"Video", "semigual", "default", false},
      {"Video", "Tamanho", "default", false},  // only the first [VIDEO] counts
      {"Braille", "MODO", "6", true},
      {"Final", "sem fim de linha", "ok", true},
      {"Video", "Missing", "default", false},
      {"Missing", "Fonte", "default", false},
      {"", "orphan", "default", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::ProfileString("TEST.INI", c.section, c.key, "default"), c.expected)
        << c.section << "/" << c.key;
    EXPECT_EQ(platform::ProfileKeyExists("test.ini", c.section, c.key), c.exists)
        << c.section << "/" << c.key;
  }
  EXPECT_EQ(platform::ProfileString("NOFILE.INI", "Video", "Fonte", "default"), "default");
  EXPECT_FALSE(platform::ProfileKeyExists("NOFILE.INI", "Video", "Fonte"));
  EXPECT_EQ(platform::ProfileString("TEST.INI", "Video", "Fonte", "", 7), "Courier");
}

TEST_F(SettingsTest, ProfileTextIsLatin1Inside) {
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"UTF8BOM.INI", "\xEF\xBB\xBF[Se\xC3\xA7\xC3\xA3o]\nNome=Jo\xC3\xA3o\n"},
      {"UTF8.INI", "[Se\xC3\xA7\xC3\xA3o]\nNome=Jo\xC3\xA3o\n"},
      {"LATIN1.INI", "[Se\xE7\xE3o]\nNome=Jo\xE3o\n"},
  };
  for (const Case& c : cases) {
    Write(windows_ + "/" + c.name, c.bytes);
    EXPECT_EQ(platform::ProfileString(c.name, "SE\xC7\xC3O", "nome", ""), "Jo\xE3o") << c.name;
  }
  // A BOM before plain ASCII is not part of the first section name.
  Write(windows_ + "/BOM.INI", "\xEF\xBB\xBF[A]\nK=v\n");
  EXPECT_EQ(platform::ProfileString("BOM.INI", "A", "K", ""), "v");
}

TEST_F(SettingsTest, ProfileFileNamesAndChanges) {
  ScopedVariable drive("MIRANE_DRIVE_Q", root_);
  Write(start_ + "/Other.ini", "[S]\nK=first\n");
  EXPECT_EQ(platform::ProfileString("q:\\START\\other.INI", "s", "k", ""), "first");
  EXPECT_EQ(platform::ProfileString(start_ + "/Other.ini", "s", "k", ""), "first");
  // A bare name is looked for in the Windows folder only.
  EXPECT_EQ(platform::ProfileString("Other.ini", "s", "k", "none"), "none");

  // A changed file is read again.
  Write(start_ + "/Other.ini", "[S]\nK=second value\n");
  EXPECT_EQ(platform::ProfileString(start_ + "/Other.ini", "s", "k", ""), "second value");
  fs::remove(start_ + "/Other.ini");
  EXPECT_EQ(platform::ProfileString(start_ + "/Other.ini", "s", "k", "gone"), "gone");
}

TEST_F(SettingsTest, ReadSettingPrefersTheWindowsFolder) {
  RecordStart();
  EXPECT_EQ(speech::StartFolder(), fs::canonical(start_).string());
  Write(start_ + "/MIRANE.INI", "[TESSEL]\nDIRTESSEL=from start\n[MIRANE]\nTIMEOUT_REDE=30\n");
  EXPECT_EQ(speech::ReadSetting("TESSEL", "DIRTESSEL"), "from start");
  EXPECT_EQ(speech::ReadSetting("", "TIMEOUT_REDE"), "30");  // empty section is [MIRANE]
  EXPECT_EQ(speech::ReadSetting("TESSEL", "MISSING"), "");

  Write(windows_ + "/mirane.ini", "[Tessel]\nDirTessel=from windows\n");
  EXPECT_EQ(speech::ReadSetting("TESSEL", "DIRTESSEL"), "from windows");
  EXPECT_EQ(speech::ReadSetting("", "TIMEOUT_REDE"), "");

  Write(windows_ + "/mirane.ini", "[Tessel]\nLong=" + std::string(300, 'x') + "\n");
  EXPECT_EQ(speech::ReadSetting("TESSEL", "LONG"), std::string(255, 'x'));
}

TEST_F(SettingsTest, ReadSettingExpandsTheBaseFolder) {
  RecordStart();
  const std::string start = speech::StartFolder();
  struct Case {
    const char* base;  // PGMMIRANE, or nullptr for none
    const char* value;
    std::string expected;
  } cases[] = {
      {"c:\\tarsel", "@\\som", "c:\\tarsel\\som"},
      {"c:\\tarsel", "@som", "c:\\tarselsom"},
      {"c:\\tarsel", "x;@\\a;@\\b", "x;c:\\tarsel\\a;c:\\tarsel\\b"},
      {"c:\\tarsel", "@@\\x", "c:\\tarselc:\\tarsel\\x"},
      {"c:\\tarsel", "a@b", "a@b"},
      {"c:\\tarsel", "mail@\\x", "mailc:\\tarsel\\x"},
      {"c:\\p@\\q", "@\\som", "c:\\p@\\q\\som"},  // inserted text is not expanded again
      {"", "@\\som", start + "\\som"},
      {nullptr, "@\\som", start + "\\som"},
      {"@\\elsewhere", "@\\som", start + "\\som"},
      {"", "plain", "plain"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    std::string ini = "[MIRANE]\n";
    if (c.base) ini += std::string("PGMMIRANE=") + c.base + "\n";
    ini += std::string("[TRADUTOR]\nDIR=") + c.value + "\n";
    Write(windows_ + "/MIRANE.INI", ini);
    EXPECT_EQ(speech::ReadSetting("TRADUTOR", "DIR"), c.expected)
        << (c.base ? c.base : "(none)") << " / " << c.value;
  }
}

TEST(SettingsUpperCase, UpperCasePtTable) {
  struct Case {
    std::string text, expected;
  } cases[] = {
      {"escreve", "ESCREVE"},
      {"Fim Se", "FIM SE"},
      {"t\xEDtulo", "T\xCDTULO"},  // título
      {"sen\xE3o", "SEN\xC3O"},    // senão
      {"\xE7\xE0\xFF", "\xC7\xC0\xDF"},  // ç à ÿ: every byte from 224 loses 32
      {"\xF7", "\xD7"},
      {"\xDF\xB5\x9A", "\xDF\xB5\x9A"},  // ß µ š stay
      {"123 {}@[]", "123 {}@[]"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(speech::UpperCasePt(c.text), c.expected) << c.text;
  EXPECT_EQ(speech::UpperCasePt('z'), 'Z');
  EXPECT_EQ(speech::UpperCasePt('\xE9'), '\xC9');
  EXPECT_EQ(speech::UpperCasePt('`'), '`');
  EXPECT_EQ(speech::UpperCasePt('{'), '{');
}

}  // namespace
