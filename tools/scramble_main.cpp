// tessel-scramble: makes a scrambled script (run it under a name containing
// ".CRP") from a plain one.
//
//   tessel-scramble plain.cmd secret.crp
#include <cstdio>
#include <string>

#include "interpreter/scramble.h"
#include "platform/files.h"
#include "platform/text.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tessel-scramble PLAIN SCRAMBLED\n");
    return 2;
  }
  std::string contents;
  if (!platform::files::ReadAll(argv[1], contents)) {
    std::fprintf(stderr, "tessel-scramble: cannot read %s\n", argv[1]);
    return 1;
  }
  if (platform::IsUtf8Text(contents)) contents = platform::Utf8ToLatin1(contents);
  std::string output;
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find_first_of("\r\n", start);
    std::string line = contents.substr(start, end == std::string::npos ? std::string::npos : end - start);
    output += interp::ScrambleLine(line) + "\r\n";
    if (end == std::string::npos) break;
    start = end + 1;
    if (contents[end] == '\r' && start < contents.size() && contents[start] == '\n') ++start;
  }
  std::FILE* file = platform::files::Open(argv[2], "wb");
  if (!file || std::fwrite(output.data(), 1, output.size(), file) != output.size()) {
    std::fprintf(stderr, "tessel-scramble: cannot write %s\n", argv[2]);
    if (file) std::fclose(file);
    return 1;
  }
  return std::fclose(file) == 0 ? 0 : 1;
}
