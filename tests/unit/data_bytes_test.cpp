// Tests of the byte buffer and the binary output file, and of the file
// commands of Base64 on real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/byte_buffer.h"
#include "data/data_module.h"
#include "data/encoding_commands.h"
#include "interpreter/operands.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using test_support::HeadlessConsole;

class DataBytes : public testing::Test {
 protected:
  DataBytes() : saved_folder_(fs::current_path()) {
    fs::current_path(headless_.folder().path());
    interp::ResetVariables();
    data::DataInit();
  }
  ~DataBytes() override {
    data::DataEnd();
    data::SetByteBufferCapacityForTests(0);
    fs::current_path(saved_folder_);
  }
  void Write(const std::string& name, const std::string& contents) { headless_.folder().Write(name, contents); }
  std::string Read(const std::string& name) const { return headless_.folder().Read(name); }
  bool Exists(const std::string& name) const { return fs::exists(headless_.folder().path() / name); }

  HeadlessConsole headless_;
  fs::path saved_folder_;
};

TEST_F(DataBytes, BuildsABinaryFile) {
  ASSERT_TRUE(data::CmdEscrevebyte("\"ABC\""));
  EXPECT_EQ(data::BufferedBytes(), "ABC");
  EXPECT_FALSE(data::CmdGravabytes(""));  // no binary file open
  ASSERT_TRUE(data::CmdCriabin("\"saida.bin\""));
  ASSERT_TRUE(data::CmdGravabytes(""));
  EXPECT_EQ(data::BufferedBytes(), "");
  EXPECT_EQ(Read("saida.bin"), "ABC");
  interp::SetVariable('Z', std::string("\0\xFF\r\n", 4));
  ASSERT_TRUE(data::CmdEscrevebyte("Z"));
  ASSERT_TRUE(data::CmdGravabytes("ignored"));
  ASSERT_TRUE(data::CmdFechabin(""));
  EXPECT_EQ(Read("saida.bin"), std::string("ABC\0\xFF\r\n", 7));
  EXPECT_FALSE(data::CmdFechabin(""));
}

TEST_F(DataBytes, CriabinNeverOverwrites) {
  Write("existe.bin", "guardado");
  EXPECT_FALSE(data::CmdCriabin("\"EXISTE.BIN\""));
  EXPECT_EQ(Read("existe.bin"), "guardado");
  ASSERT_TRUE(data::CmdCriabin("\"um.bin\""));
  EXPECT_FALSE(data::CmdCriabin("\"dois.bin\""));  // one binary file at a time
  EXPECT_FALSE(Exists("dois.bin"));
  EXPECT_TRUE(data::CmdFechabin(""));
  EXPECT_FALSE(data::CmdCriabin("\"pasta\\tres.bin\""));  // cannot be created
  EXPECT_FALSE(data::CmdCriabin("\"\""));
}

TEST_F(DataBytes, LebyteTakesRanges) {
  Write("dez.bin", "0123456789");
  struct Case {
    const char* arguments;
    bool ok;
    const char* appended;
  } cases[] = {
      {"\"dez.bin\" 8 20", true, "89"},
      {"\"dez.bin\" 0 10", true, "0123456789"},
      {"\"dez.bin\" 5 6", true, "5"},
      {"\"dez.bin\" 5 5", true, "5"},
      {"\"DEZ.BIN\" 9 9", true, "9"},
      {"\"dez.bin\" 10 12", false, ""},  // at the end
      {"\"dez.bin\" 6 5", false, ""},
      {"\"dez.bin\" -1 3", false, ""},
      {"\"dez.bin\" \"a\" 3", false, ""},
      {"\"dez.bin\" 1", false, ""},
      {"\"falta.bin\" 0 1", false, ""},
  };
  for (const Case& c : cases) {
    data::CmdLimpabytes("");
    EXPECT_EQ(data::CmdLebyte(c.arguments), c.ok) << c.arguments;
    EXPECT_EQ(data::BufferedBytes(), c.appended) << c.arguments;
  }
}

TEST_F(DataBytes, CapacityIsNeverPassed) {
  data::SetByteBufferCapacityForTests(10);
  Write("dez.bin", "0123456789");
  ASSERT_TRUE(data::CmdEscrevebyte("\"12345678\""));
  EXPECT_FALSE(data::CmdEscrevebyte("\"abc\""));  // does not fit: nothing appended
  EXPECT_EQ(data::BufferedBytes(), "12345678");
  EXPECT_FALSE(data::CmdLebyte("\"dez.bin\" 0 3"));
  EXPECT_EQ(data::BufferedBytes(), "12345678");
  ASSERT_TRUE(data::CmdLebyte("\"dez.bin\" 0 2"));
  EXPECT_EQ(data::BufferedBytes(), "1234567801");
  EXPECT_FALSE(data::CmdLebyte("\"dez.bin\" 0 0"));  // full
  EXPECT_FALSE(data::CmdEscrevebyte("\"x\""));
  EXPECT_TRUE(data::CmdEscrevebyte("\"\""));
  ASSERT_TRUE(data::CmdLimpabytes(""));
  EXPECT_EQ(data::BufferedBytes(), "");
  EXPECT_TRUE(data::CmdEscrevebyte("\"0123456789\""));
}

TEST_F(DataBytes, Base64OfFiles) {
  std::string hundred;
  for (int i = 0; i < 100; ++i) hundred += static_cast<char>(i * 13);
  Write("cem.bin", hundred);
  ASSERT_TRUE(data::CmdCodarqbase64("\"cem.bin\" \"cem.b64\""));
  std::string text = Read("cem.b64");
  ASSERT_EQ(text.size(), 64 + 2 + 64 + 2 + 8 + 2u);
  EXPECT_EQ(text.substr(64, 2), "\r\n");
  EXPECT_EQ(text.substr(text.size() - 4), "==\r\n");
  ASSERT_TRUE(data::CmdDecodarqbase64("\"cem.b64\" \"volta.bin\""));
  EXPECT_EQ(Read("volta.bin"), hundred);

  // Sizes around the line and block lengths all come back whole.
  for (size_t size : {0u, 1u, 47u, 48u, 49u, 49151u, 49152u, 49153u, 200000u}) {
    std::string bytes;
    for (size_t i = 0; i < size; ++i) bytes += static_cast<char>(i * 31 + i / 256);
    Write("x.bin", bytes);
    ASSERT_TRUE(data::CmdCodarqbase64("\"x.bin\" \"x.b64\""));
    std::string encoded = Read("x.b64");
    size_t lines = (size * 4 / 3 + 63) / 64;
    EXPECT_EQ(std::count(encoded.begin(), encoded.end(), '\n'), static_cast<long>(lines)) << size;
    ASSERT_TRUE(data::CmdDecodarqbase64("\"x.b64\" \"y.bin\""));
    EXPECT_EQ(Read("y.bin"), bytes) << size;
  }
}

TEST_F(DataBytes, Base64FileFailures) {
  Write("a.bin", "abc");
  Write("a.b64", "YWJj\r\n=ignored");
  EXPECT_FALSE(data::CmdCodarqbase64("\"falta.bin\" \"x.b64\""));
  EXPECT_FALSE(Exists("x.b64"));
  EXPECT_FALSE(data::CmdCodarqbase64("\"a.bin\""));
  EXPECT_FALSE(data::CmdCodarqbase64("\"a.bin\" \"A.BIN\""));  // would empty its own source
  EXPECT_EQ(Read("a.bin"), "abc");
  EXPECT_FALSE(data::CmdCodarqbase64("\"a.bin\" \"pasta\\x.b64\""));
  EXPECT_FALSE(data::CmdCodarqbase64("\"a.bin\" \"/dev/full\""));  // a full disk
  EXPECT_FALSE(data::CmdDecodarqbase64("\"a.b64\" \"/dev/full\""));
  EXPECT_FALSE(data::CmdDecodarqbase64("\"falta.b64\" \"x.bin\""));
  EXPECT_FALSE(data::CmdDecodarqbase64("\"a.b64\" \"a.b64\""));
  ASSERT_TRUE(data::CmdDecodarqbase64("\"a.b64\" \"b.bin\""));
  EXPECT_EQ(Read("b.bin"), "abc");
}

TEST_F(DataBytes, InPlaceCommandsNeedAVariable) {
  using Handler = bool (*)(const std::string&);
  struct Case {
    Handler handler;
    std::string before, after;
  } cases[] = {
      {data::CmdCodbase64, "Man", "TWFu"},
      {data::CmdCodbase64, "M", "TQ=="},
      {data::CmdDecodbase64, "TWFu", "Man"},
      {data::CmdDecodbase64, "TQ==TWFu", "M"},
      {data::CmdAdquoted, "\xE3", "=E3"},
      {data::CmdRemovequoted, "=E3", "\xE3"},
      {data::CmdRemovequoted, "fim=", "fim"},
      {data::CmdAnsiparautf8, "a\xE7\xE3o", "a\xC3\xA7\xC3\xA3o"},
      {data::CmdUtf8paraansi, "a\xC3\xA7\xC3\xA3o", "a\xE7\xE3o"},
  };
  for (const Case& c : cases) {
    interp::SetVariable('V', c.before);
    ASSERT_TRUE(c.handler("V"));
    EXPECT_EQ(interp::Variable('V'), c.after) << c.before;
    EXPECT_FALSE(c.handler("\"" + c.before + "\"")) << "a quoted text is no variable";
    EXPECT_FALSE(c.handler(""));
  }
}

}  // namespace
