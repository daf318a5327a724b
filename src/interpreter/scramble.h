// scramble: scrambled scripts (a name containing ".CRP").
//
// Each line is scrambled by a substitution over two alphabets of 117
// characters and then reversed; the loader undoes both, so a scrambled script
// runs as the plain script it was made from.
#pragma once
#include <string>

namespace interp {

std::string UnscrambleLine(const std::string& line);
std::string ScrambleLine(const std::string& line);

}  // namespace interp
