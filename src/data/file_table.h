// file_table: the ten numbered slots "#0" to "#9" and the I/O status.
//
// A slot is free, holds a text file opened for reading or for appending, or
// holds a network connection. The table lives for the whole program: a new
// script run leaves open slots open. The I/O status is the one number CHECA
// reads; ESCREVE and LE on slots set it, and so do the network and window
// commands.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace data {

constexpr int kSlotCount = 10;

// I/O status values of file slots. 0 is success; the error numbers are the
// ones MIRANE scripts have always seen for text files.
constexpr int32_t kIoOk = 0;
constexpr int32_t kIoEndOfFile = 1;          // LE at the end of the file
constexpr int32_t kIoReadError = 100;        // the disk refused a read
constexpr int32_t kIoWriteError = 101;       // the disk refused a write (full, gone)
constexpr int32_t kIoNotOpenForInput = 104;  // LE from a file opened for appending
constexpr int32_t kIoNotOpenForOutput = 105; // ESCREVE to a file opened for reading

int32_t IoStatus();
void SetIoStatus(int32_t status);
// Start of a script run: the status back to 0.
void ResetIoStatus();

// A connection held by a network slot. The network module derives from it;
// destroying it closes the socket, the SSL state and the read buffer.
class SlotConnection {
 public:
  virtual ~SlotConnection() = default;
  // Sends the text, followed by the line end unless `newline` is false; true
  // when bytes were sent.
  virtual bool SendLine(const std::string& text, bool newline) = 0;
  // One line, waiting as the network module's limit says; false when none
  // arrived or the peer closed.
  virtual bool ReceiveLine(std::string& line) = 0;
};

enum class SlotKind { Free, ReadFile, AppendFile, Network };

// `digit` is '0' to '9'; any other character is a free slot of no table.
SlotKind KindOfSlot(char digit);

// ABRE: binds the slot to a file, for reading from the start, or for
// appending (a missing file is created empty; an existing one is never
// truncated). Whatever the slot held before is closed first. False when the
// file cannot be opened; the slot is then free.
bool OpenFileSlot(char digit, const std::string& name, bool append);

// CONECTA and SERVE: the slot takes the connection (after closing what it
// held). False only for a digit outside 0-9.
bool AttachConnection(char digit, std::unique_ptr<SlotConnection> connection);
// The connection of a network slot, else null.
SlotConnection* ConnectionOf(char digit);

// FECHA: frees the slot (closing a free slot succeeds). False when closing
// the file reported an error (data that could not be written).
bool CloseSlot(char digit);

// ESCREVE #n: writes `text` and CR LF (no line end when `newline` is false)
// to a file slot, or sends it through a network slot, and sets the I/O
// status. False, with nothing done, when the slot is free (the caller says
// so); write errors only set the status.
bool WriteToFileSlot(char digit, const std::string& text, bool newline);

// LE #n: one line (CR, LF or CR LF ends it) from a file slot, or one line
// from a network slot, and sets the I/O status (1 at the end of the file,
// with `line` empty). False, with nothing done, when the slot is free.
bool ReadFromSlot(char digit, std::string& line);

// Program start (InterpreterInit): every slot closed, the status 0, the
// directory search ended, and ESCREVE's "#n" connected to this table.
void FileTableInit();
// Program end: every slot closed.
void CloseAllSlots();

}  // namespace data
