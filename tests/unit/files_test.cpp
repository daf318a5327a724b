// Tests of the files layer: script names to native paths, the directory
// search, wildcards and file operations, on real files in a temporary folder.
#include "platform/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "test_support.h"

namespace {

namespace files = platform::files;
namespace fs = std::filesystem;

using test_support::ScopedVariable;

// A fresh temporary folder (ASCII path, so native and Latin-1 agree) that is
// removed afterwards; the current folder is restored too.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tessel-files-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    saved_folder_ = fs::current_path();
  }
  void TearDown() override {
    fs::current_path(saved_folder_);
    fs::remove_all(root_);
  }
  // Creates a file with the given contents at a native path below the root.
  void Touch(const std::string& relative, const std::string& contents = "") {
    fs::path path = fs::path(root_) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
  }
  std::string Native(const std::string& relative) const { return root_ + "/" + relative; }

  std::string root_;
  fs::path saved_folder_;
};

TEST_F(FilesTest, NativePathMapsDrivesAndSeparators) {
  ScopedVariable drive_c("MIRANE_DRIVE_C", root_ + "/c/");
  ScopedVariable drive_d("MIRANE_DRIVE_D", std::nullopt);
  fs::create_directory(root_ + "/c");
  struct Case {
    std::string name, expected;
  } cases[] = {
      {"C:\\tarsel\\som", root_ + "/c/tarsel/som"},
      {"c:/tarsel/som", root_ + "/c/tarsel/som"},
      {"C:tarsel", root_ + "/c/tarsel"},
      {"C:", root_ + "/c"},
      {"C:\\", root_ + "/c"},
      {"d:\\nothere\\x.txt", "/nothere/x.txt"},
      {"\\nothere\\\\x.txt", "/nothere/x.txt"},
      {"nothere\\x.txt", "nothere/x.txt"},
      {"nothere/sub\\", "nothere/sub/"},
      {"..\\nothere", fs::current_path().parent_path().string() + "/nothere"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(files::NativePath(c.name), c.expected) << c.name;
}

TEST_F(FilesTest, NativePathFindsComponentsIgnoringCase) {
  Touch("Alpha/Beta/Gamma.TXT", "x");
  Touch("A\xC3\xA7\xC3\xA3o/Nota.txt", "y");  // "Ação" on disk, UTF-8
  const std::string base = root_;
  struct Case {
    std::string name, expected;
  } cases[] = {
      {base + "\\Alpha\\Beta\\Gamma.TXT", Native("Alpha/Beta/Gamma.TXT")},
      {base + "\\alpha\\BETA\\gamma.txt", Native("Alpha/Beta/Gamma.TXT")},
      // A new file in an existing folder written in other case lands there.
      {base + "\\ALPHA\\beta\\New.txt", Native("Alpha/Beta/New.txt")},
      // From the first missing component on, the name stays as given.
      {base + "\\alpha\\Missing\\beta", Native("Alpha/Missing/beta")},
      // Latin-1 letters fold too: "AÇÃO\NOTA.TXT" finds "Ação/Nota.txt".
      {base + "\\A\xC7\xC3O\\NOTA.TXT", Native("A\xC3\xA7\xC3\xA3o/Nota.txt")},
      {base + "\\a\xE7\xE3o", Native("A\xC3\xA7\xC3\xA3o")},
  };
  for (const Case& c : cases) EXPECT_EQ(files::NativePath(c.name), c.expected) << c.name;

  fs::current_path(root_);
  EXPECT_EQ(files::NativePath("alpha\\beta\\GAMMA.txt"), "Alpha/Beta/Gamma.TXT");
}

TEST(FilesWildcard, MatchesLikeTheWindowsSearch) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  } cases[] = {
      {"*", "anything.txt", true},
      {"*", ".", true},
      {"*.txt", "NOTES.TXT", true},
      {"*.txt", "notes.txt.bak", false},
      {"*.*", "README", true},  // "*.*" also takes names without extension
      {"*.*", "..", true},
      {"a.*", "A", true},
      {"*.t*", "README", false},
      {"n?tes.*", "Notes.md", true},
      {"n?tes", "ntes", false},
      {"???", "abcd", false},
      {"a*b*c", "aXXbYYc", true},
      {"a*b*c", "aXXbYY", false},
      {"*.TXT", "", false},
      {"", "", true},
      {"", "a", false},
      {"\xC7*", "\xE7\xE3o.cmd", true},  // "Ç*" takes "ção.cmd"
      {"\xE9", "\xC9", true},            // é and É
      {"\xF7", "\xD7", false},           // ÷ and × are not a case pair
      {"*x*y*z*w*", "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxyzv", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(files::WildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;
}

TEST_F(FilesTest, FindListsSortedEntriesWithFlags) {
  Touch("b.txt", "12345");
  Touch("A.TXT", "1");
  Touch("c.Txt");
  Touch("notes", "xy");
  Touch(".hidden");
  fs::create_directory(root_ + "/Sub");

  auto names = [](const std::vector<files::Entry>& entries) {
    std::vector<std::string> out;
    for (const auto& entry : entries) out.push_back(entry.name);
    return out;
  };
  EXPECT_EQ(names(files::Find(root_ + "\\*.TXT")),
            (std::vector<std::string>{"A.TXT", "b.txt", "c.Txt"}));
  EXPECT_EQ(names(files::Find(root_ + "/S*")), (std::vector<std::string>{"Sub"}));
  EXPECT_TRUE(files::Find(root_ + "/*.none").empty());
  EXPECT_TRUE(files::Find(root_ + "/missing/*").empty());
  EXPECT_TRUE(files::Find(root_ + "/").empty());

  std::vector<files::Entry> all = files::Find(root_ + "\\*.*");
  ASSERT_EQ(names(all), (std::vector<std::string>{".", "..", ".hidden", "A.TXT", "b.txt", "c.Txt",
                                                  "notes", "Sub"}));
  EXPECT_TRUE(all[0].directory);
  EXPECT_FALSE(all[0].hidden);  // "." and ".." are plain folder entries
  EXPECT_TRUE(all[2].hidden);
  EXPECT_FALSE(all[3].hidden);
  EXPECT_EQ(all[4].size, 5);
  EXPECT_FALSE(all[4].directory);
  EXPECT_TRUE(all[7].directory);
  EXPECT_EQ(all[7].size, 0);

  // A relative pattern searches the current folder; a folder part in other
  // case is found.
  fs::current_path(root_);
  EXPECT_EQ(names(files::Find("NOTES")), (std::vector<std::string>{"notes"}));
  EXPECT_EQ(names(files::Find("sub\\*")), (std::vector<std::string>{".", ".."}));
}

TEST_F(FilesTest, FindOnADriveRootHasNoDotEntries) {
  ScopedVariable drive_c("MIRANE_DRIVE_C", root_);
  Touch("x.cmd");
  for (const char* pattern : {"C:\\*", "c:*", "C:/*.*"}) {
    std::vector<files::Entry> entries = files::Find(pattern);
    ASSERT_EQ(entries.size(), 1u) << pattern;
    EXPECT_EQ(entries[0].name, "x.cmd");
  }
}

TEST_F(FilesTest, FileSizeIsSixtyFourBit) {
  const std::string big = Native("big.bin");
  int handle = ::open(big.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(handle, 0);
  const int64_t size = (int64_t{5} << 30) + 3;  // 5 GiB and 3 bytes, sparse
  ASSERT_EQ(::ftruncate(handle, size), 0);
  ::close(handle);
  EXPECT_EQ(files::FileSize(big), size);
  EXPECT_EQ(files::FileSize(root_ + "\\BIG.BIN"), size);

  Touch("empty");
  EXPECT_EQ(files::FileSize(Native("empty")), 0);
  EXPECT_EQ(files::FileSize(Native("missing")), -1);
  EXPECT_EQ(files::FileSize(root_), -1);  // a folder is not a file
}

TEST_F(FilesTest, FileOperationsUseTheResolvedNames) {
  fs::create_directory(root_ + "/Data");
  std::FILE* file = files::Open(root_ + "\\DATA\\new.txt", "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("hello", file);
  std::fclose(file);
  EXPECT_TRUE(fs::exists(root_ + "/Data/new.txt"));

  std::string contents;
  EXPECT_TRUE(files::ReadAll(root_ + "\\data\\NEW.TXT", contents));
  EXPECT_EQ(contents, "hello");
  EXPECT_FALSE(files::ReadAll(root_ + "\\data\\missing.txt", contents));
  EXPECT_EQ(contents, "hello");  // untouched on failure
  EXPECT_EQ(files::Open(root_ + "\\data", "rb"), nullptr);  // a folder cannot be read

  EXPECT_TRUE(files::Exists(root_ + "/DATA/New.Txt"));
  EXPECT_TRUE(files::IsDirectory(root_ + "/data"));
  EXPECT_FALSE(files::IsDirectory(root_ + "/data/new.txt"));
  EXPECT_FALSE(files::Exists(root_ + "/data/other.txt"));

  EXPECT_TRUE(files::MakeDirectory(root_ + "\\data\\Inner"));
  EXPECT_TRUE(fs::is_directory(root_ + "/Data/Inner"));
  EXPECT_FALSE(files::MakeDirectory(root_ + "\\data\\INNER"));  // already there
  EXPECT_FALSE(files::MakeDirectory(root_ + "\\nothere\\inner"));

  EXPECT_TRUE(files::ChangeDirectory(root_ + "\\DATA\\inner"));
  EXPECT_EQ(files::CurrentDirectory(), fs::canonical(root_).string() + "/Data/Inner");
  EXPECT_FALSE(files::ChangeDirectory(root_ + "\\nothere"));
  EXPECT_FALSE(files::ChangeDirectory(""));
}

TEST_F(FilesTest, RenameNeverReplacesAnotherFile) {
  Touch("one.txt", "1");
  Touch("two.txt", "2");
  EXPECT_FALSE(files::Rename(Native("one.txt"), root_ + "\\TWO.TXT"));
  std::string contents;
  ASSERT_TRUE(files::ReadAll(Native("two.txt"), contents));
  EXPECT_EQ(contents, "2");

  // Another spelling of its own name changes the case.
  EXPECT_TRUE(files::Rename(Native("one.txt"), root_ + "\\ONE.txt"));
  EXPECT_TRUE(fs::exists(root_ + "/ONE.txt"));
  EXPECT_FALSE(fs::exists(root_ + "/one.txt"));

  EXPECT_TRUE(files::Rename(root_ + "\\one.TXT", root_ + "\\three.txt"));
  EXPECT_TRUE(fs::exists(root_ + "/three.txt"));
  EXPECT_FALSE(files::Rename(Native("missing"), Native("four.txt")));

  EXPECT_TRUE(files::Remove(root_ + "\\THREE.TXT"));
  EXPECT_FALSE(fs::exists(root_ + "/three.txt"));
  EXPECT_FALSE(files::Remove(root_ + "\\THREE.TXT"));
}

TEST_F(FilesTest, TemporaryPathIsNewAndUnique) {
  ScopedVariable tmpdir("TMPDIR", root_ + "/");
  std::string first = files::TemporaryPath("tes", ".bmp");
  std::string second = files::TemporaryPath("tes", ".bmp");
  ASSERT_FALSE(first.empty());
  EXPECT_NE(first, second);
  // In the program's own folder, the name starting with the process id.
  EXPECT_EQ(fs::path(first).parent_path(), fs::path(root_) / ("tessel-" + std::to_string(geteuid())));
  EXPECT_EQ(fs::path(first).filename().string().rfind(std::to_string(getpid()) + "-", 0), 0u);
  EXPECT_NE(fs::path(first).filename().string().find("tes.bmp"), std::string::npos);
  EXPECT_EQ(fs::path(first).extension(), ".bmp");
  EXPECT_TRUE(fs::exists(first));  // the name is claimed
}

}  // namespace
