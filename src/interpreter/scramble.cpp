#include "interpreter/scramble.h"

#include <algorithm>
#include <string_view>

namespace interp {
namespace {

// Source and target alphabets: the same 117 characters (printable ASCII
// without the blank, and 23 accented letters of Portuguese) in two orders.
// A character found at position i of the source becomes the character at
// position i counted backwards from the end of the target.
constexpr std::string_view kSource =
    "!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~"
    "\xE0\xE1\xE2\xE3\xE7\xE9\xEA\xED\xF3\xF4\xF5\xFA\xFC\xC0\xC1\xC2\xC3\xC7\xC9\xCA\xCD\xD3\xDA";
constexpr std::string_view kTarget =
    "q7W\xE3#eK(1\xC9zR|@x\xF4]M4&i\xC0N:f0\"tP\xE9yZ_3\xC2;lD\xF3+bH/9{uG\xE1\xD3$S8"
    "cJ\xFA=mA!o'2\xCAk)V.j<\xE0r6L\xC7n%h\xED[Q5F-\xE7X^s,d?T\xFC}C\xC3" "E>B\xEAg*O\xC1w`\\\xDAv~Y\xCD"
    "a\xE2pIU\xF5";

static_assert(kSource.size() == 117, "the source alphabet has 117 characters");
static_assert(kTarget.size() == 117, "the target alphabet has 117 characters");

std::string Substitute(const std::string& line, std::string_view from, std::string_view to) {
  std::string out = line;
  for (char& c : out) {
    size_t i = from.find(c);
    if (i != std::string_view::npos) c = to[to.size() - 1 - i];
  }
  return out;
}

}  // namespace

std::string UnscrambleLine(const std::string& line) {
  std::string out = Substitute(line, kSource, kTarget);
  std::reverse(out.begin(), out.end());
  return out;
}

std::string ScrambleLine(const std::string& line) {
  std::string out = line;
  std::reverse(out.begin(), out.end());
  return Substitute(out, kTarget, kSource);
}

}  // namespace interp
