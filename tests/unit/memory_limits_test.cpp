// Out of memory and oversized input: the real tessel binary under an
// address-space limit, and pictures whose headers claim more than the
// console shows.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/bmp.h"
#include "data/picture.h"
#include "interpreter/interpreter.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using test_support::HeadlessConsole;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A BMP header (and palette-free) claiming width x height at `bits`.
std::string BmpHeader(int32_t width, int32_t height, uint16_t bits) {
  std::string h = "BM";
  uint32_t stride = ((static_cast<uint32_t>(width) * bits + 31) / 32) * 4;
  PutLe(h, 54 + stride * static_cast<uint32_t>(height), 4);
  PutLe(h, 0, 4);
  PutLe(h, 54, 4);
  PutLe(h, 40, 4);
  PutLe(h, static_cast<uint32_t>(width), 4);
  PutLe(h, static_cast<uint32_t>(height), 4);
  PutLe(h, 1, 2);
  PutLe(h, bits, 2);
  for (int i = 0; i < 6; ++i) PutLe(h, 0, 4);
  return h;
}

// The smallest baseline JPEG header that claims width x height: start of
// image, one quantisation table, the frame header, one Huffman table pair,
// the scan header, then a few bytes of data and the end.
std::string JpegClaiming(uint16_t width, uint16_t height, bool progressive) {
  std::string j = "\xFF\xD8";
  j += std::string("\xFF\xDB\x00\x43\x00", 5) + std::string(64, '\x01');
  j += progressive ? "\xFF\xC2" : "\xFF\xC0";
  j += std::string("\x00\x0B\x08", 3);
  j += static_cast<char>(height >> 8);
  j += static_cast<char>(height & 0xFF);
  j += static_cast<char>(width >> 8);
  j += static_cast<char>(width & 0xFF);
  j += std::string("\x01\x01\x11\x00", 4);
  // DC table 0: one code of length 1 for category 0.
  j += std::string("\xFF\xC4\x00\x14\x00\x01", 6) + std::string(15, '\0') + std::string(1, '\0');
  // AC table 0: one code of length 1 for end of block.
  j += std::string("\xFF\xC4\x00\x14\x10\x01", 6) + std::string(15, '\0') + std::string(1, '\0');
  if (progressive) j += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x00\x00", 10);
  else j += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
  j += std::string(400, '\0');
  j += "\xFF\xD9";
  return j;
}

// Peak resident memory of this process so far, in kilobytes.
long PeakKilobytes() {
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

class OversizedPictures : public testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    headless_.folder().Write(name, bytes);
    return (headless_.folder().path() / name).string();
  }
  HeadlessConsole headless_;
};

// Tiny files claiming huge pictures are refused from their headers: no time
// and no memory goes into them.
TEST_F(OversizedPictures, RefusedFromTheHeader) {
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"huge.jpg", JpegClaiming(16000, 16000, false)},
      {"huge-progressive.jpg", JpegClaiming(16000, 16000, true)},
      {"widest.jpg", JpegClaiming(65000, 65000, true)},
      {"tall.jpg", JpegClaiming(20, 65000, true)},
      {"huge.bmp", BmpHeader(16000, 16000, 32)},           // 1 GB claimed by 54 bytes
      {"over-the-file.bmp", BmpHeader(4000, 4000, 24) + std::string(1000, '\0')},
      {"top-down.bmp", BmpHeader(16000, -16000, 24)},
  };
  ASSERT_GT(cases[0].bytes.size(), 500u);
  ASSERT_LT(cases[0].bytes.size(), 700u);
  long peak_before = PeakKilobytes();
  for (const Case& c : cases) {
    std::string path = Write(c.name, c.bytes);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(data::CmdImagem("\"" + path + "\"")) << c.name;
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(100)) << c.name;
  }
  EXPECT_LT(PeakKilobytes() - peak_before, 10 * 1024);
  EXPECT_EQ(console::BmpFileBytes(BmpHeader(16000, 16000, 32)), 0u);
  EXPECT_EQ(console::BmpFileBytes(BmpHeader(4, 3, 24)), 54u + 3 * 12);
}

// A picture the console can show still decodes after the header check.
TEST_F(OversizedPictures, ShowableSizesStillShow) {
  std::string bmp = BmpHeader(2, 2, 24) + std::string(16, '\x7F');
  EXPECT_TRUE(data::CmdImagem("\"" + Write("small.bmp", bmp) + "\""));
  EXPECT_FALSE(data::CmdImagem("\"" + Write("short.bmp", bmp.substr(0, bmp.size() - 1)) + "\""));
}

// Endless devices are read only as far as a picture could need.
TEST_F(OversizedPictures, EndlessDevicesAreBounded) {
  EXPECT_FALSE(data::CmdImagem("\"/dev/zero\""));
  EXPECT_FALSE(data::ConvertJpegToBitmap("/dev/zero", (headless_.folder().path() / "x.bmp").string()));
}

// Copies and encodings of a device that never ends are refused at once,
// before anything is written.
TEST_F(OversizedPictures, EndlessDevicesAreNotCopied) {
  std::string target = (headless_.folder().path() / "alvo.txt").string();
  for (const char* line : {"REPLICA \"/dev/zero\" \"", "CODARQBASE64 \"/dev/zero\" \"",
                           "DECODARQBASE64 \"/dev/zero\" \""}) {
    EXPECT_FALSE(interp::ExecuteLine(line + target + "\"", false)) << line;
    EXPECT_FALSE(fs::exists(target)) << line;
  }
}

// The real program under an address-space limit.
class UnderMemoryLimit : public testing::Test {
 protected:
  struct Outcome {
    int exit_code = -1;
    std::string log;
  };

  std::string Write(const std::string& name, const std::string& text) {
    folder_.Write(name, text);
    return (folder_.path() / name).string();
  }

  // Runs the script with at most `megabytes` of address space.
  Outcome Run(const std::string& script, long megabytes) {
    std::string path = Write("s.cmd", script);
    std::string log = (folder_.path() / "log.txt").string();
    pid_t child = fork();
    if (child == 0) {
      struct rlimit limit;
      limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(megabytes) << 20;
      setrlimit(RLIMIT_AS, &limit);
      setenv("TESSEL_CONSOLE", "headless", 1);
      setenv("TESSEL_AUDIO", "null", 1);
      setenv("TESSEL_LOG", log.c_str(), 1);
      setenv("MIRANE_WINDIR", folder_.path().c_str(), 1);
      setenv("TESSEL_KEYS", (folder_.path() / "keys").c_str(), 1);
      unsetenv("TESSEL_SCREEN");
      int null = open("/dev/null", O_RDWR);
      dup2(null, 0);
      dup2(null, 1);
      dup2(null, 2);
      if (chdir(folder_.path().c_str()) != 0) _exit(126);
      execl(TESSEL_BINARY, TESSEL_BINARY, path.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    Outcome outcome;
    outcome.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    // The spoken texts and the end, without the voice's own lines.
    std::istringstream lines(ReadFile(log));
    for (std::string line; std::getline(lines, line);)
      if (line.rfind("speak ", 0) == 0 || line.rfind("exit ", 0) == 0) outcome.log += line + "\n";
    return outcome;
  }

  // A file of `bytes` zero bytes that takes no room on the disk.
  std::string Sparse(const std::string& name, const std::string& head, off_t bytes) {
    std::string path = Write(name, head);
    if (truncate(path.c_str(), bytes) != 0) ADD_FAILURE() << "truncate " << path;
    return path;
  }

  test_support::TempFolder folder_;
};

// A command whose memory cannot be had fails like any failing command: the
// message is spoken, the run stops at that line and says so, and the
// program ends normally (not aborted).
TEST_F(UnderMemoryLimit, CommandsFailWithTheSpokenMessage) {
  if (kAddressSanitizer) GTEST_SKIP() << "address-space limits do not work under AddressSanitizer";
  Sparse("big.bmp", BmpHeader(8192, 8192, 32), 54 + (off_t{256} << 20));  // 256 MB of pixels
  Sparse("line.txt", "", off_t{1} << 30);                                  // one line of 1 GiB
  std::string doubling = "SEJA A \"0123456789abcdef\"\r\n";
  for (int i = 0; i < 22; ++i) doubling += "CONCATENA A A\r\n";  // 64 MB
  struct Case {
    const char* what;
    std::string lines;
    int failing_line;
  } cases[] = {
      {"IMAGEM", "IMAGEM \"big.bmp\"\r\n", 1},
      {"LE", "ABRE #1 \"line.txt\"\r\nLE #1 B\r\n", 2},
      {"LE /dev/zero", "ABRE #1 \"/dev/zero\"\r\nLE #1 B\r\n", 2},
      {"texts", doubling + "SEJA B A\r\nSEJA C A\r\nSEJA D A\r\nSEJA E A\r\n", 0},
  };
  Write("keys", "{Enter}{Enter}");
  for (const Case& c : cases) {
    Outcome outcome = Run(c.lines + "ESCREVE \"seguiu\"\r\n", 256);
    size_t said = outcome.log.find("speak Mem\xC3\xB3ria insuficiente\n");
    ASSERT_NE(said, std::string::npos) << c.what << outcome.log;
    size_t reported = outcome.log.find("speak Erro de execu\xC3\xA7\xC3\xA3o na linha \nspeak ", said);
    EXPECT_NE(reported, std::string::npos) << c.what;
    if (c.failing_line > 0) {
      EXPECT_NE(outcome.log.find("na linha \nspeak " + std::to_string(c.failing_line) + "\n"), std::string::npos)
          << c.what;
    }
    EXPECT_EQ(outcome.log.find("speak seguiu"), std::string::npos) << c.what;
    EXPECT_NE(outcome.log.find("exit 0\n"), std::string::npos) << c.what;
    EXPECT_EQ(outcome.exit_code, 0) << c.what;
  }
}

}  // namespace
