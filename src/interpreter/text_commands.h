// text_commands: integer arithmetic and text editing on one variable.
//
// Arithmetic is 32-bit signed: sums, differences and products wrap around;
// division truncates toward zero. Positions in texts are 1-based.
#pragma once
#include <string>

namespace interp {

bool CmdSoma(const std::string& arguments);        // SOMA V n
bool CmdSubtrai(const std::string& arguments);     // SUBTRAI V n
bool CmdMultiplica(const std::string& arguments);  // MULTIPLICA V n
bool CmdDivide(const std::string& arguments);      // DIVIDE V n
bool CmdConcatena(const std::string& arguments);   // CONCATENA V text
bool CmdCopia(const std::string& arguments);       // COPIA V W start end
bool CmdDeleta(const std::string& arguments);      // DELETA V start count
bool CmdSubstitui(const std::string& arguments);   // SUBSTITUI V old new

// The text SUBSTITUI leaves: every occurrence of `old` replaced by
// `replacement`, scanning from the right, a replacement able to make a new
// match to its left. False when the text would grow beyond `limit`.
bool ReplaceFromRight(const std::string& text, const std::string& old, const std::string& replacement,
                      size_t limit, std::string& result);

}  // namespace interp
