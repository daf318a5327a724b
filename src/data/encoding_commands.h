// encoding_commands: the script commands over the encodings of encodings.h.
//
// The in-place commands take one variable operand and store the converted
// text back in it; a quoted text makes them fail.
#pragma once
#include <string>

namespace data {

bool CmdCodbase64(const std::string& arguments);     // CODBASE64 V
bool CmdDecodbase64(const std::string& arguments);   // DECODBASE64 V
bool CmdAdquoted(const std::string& arguments);      // ADQUOTED V
bool CmdRemovequoted(const std::string& arguments);  // REMOVEQUOTED V
bool CmdAnsiparautf8(const std::string& arguments);  // ANSIPARAUTF8 V
bool CmdUtf8paraansi(const std::string& arguments);  // UTF8PARAANSI V

// CODARQBASE64 source target: the Base64 of a file as a text file of lines
// of 64 characters ending in CR LF.
bool CmdCodarqbase64(const std::string& arguments);
// DECODARQBASE64 source target: the bytes a Base64 text file stands for.
bool CmdDecodarqbase64(const std::string& arguments);

}  // namespace data
