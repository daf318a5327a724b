// byte_buffer: the byte buffer and the binary output file.
//
// Scripts build binary files by appending bytes (from texts, or ranges of
// other files) to one buffer of at most 128 MiB, and writing the buffer to
// the one binary output file. Memory is taken as bytes are appended, so a
// script that writes three bytes costs three bytes. The buffer and the file
// live for the whole program; a new run does not reset them.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace data {

constexpr size_t kByteBufferCapacity = 134217728;  // 128 MiB

// Appends bytes; false, appending nothing, when they do not fit.
bool AppendBytes(std::string_view bytes);
// The bytes appended since the last write or clear.
std::string_view BufferedBytes();

// Tests: a smaller capacity (0 restores 128 MiB); empties the buffer.
void SetByteBufferCapacityForTests(size_t capacity);
// Program start: the buffer empty, no binary file open.
void ResetByteBuffer();

bool CmdCriabin(const std::string& arguments);      // CRIABIN name
bool CmdEscrevebyte(const std::string& arguments);  // ESCREVEBYTE text
bool CmdLebyte(const std::string& arguments);       // LEBYTE name from to
bool CmdGravabytes(const std::string& arguments);   // GRAVABYTES
bool CmdLimpabytes(const std::string& arguments);   // LIMPABYTES
bool CmdFechabin(const std::string& arguments);     // FECHABIN

}  // namespace data
