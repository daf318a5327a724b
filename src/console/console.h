// console: the 80x25 text window every part of the system writes to, and the
// program's message pump.
//
// The window is created lazily: the first operation that needs it reads the
// [VIDEO] settings of MIRANE.INI and opens the back end. Coordinates in this
// interface are 1-based (columns 1-80, rows 1-25). Texts are Latin-1 bytes.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/window.h"

namespace console {

// Creates the window if it does not exist yet.
void EnsureWindow();
bool WindowCreated();

// Writes at the cursor: BEL beeps, BS moves left blanking the cell, LF takes
// a new line, CR goes to column 1, 32-255 are shown; all other bytes are
// ignored (tab is not expanded). Pumps messages once.
void ConsoleWrite(std::string_view bytes);
void ConsoleWriteLine(std::string_view text);
void ClearScreen();
void ClearToEndOfLine();
void GotoXY(int column, int row);  // clamped to the grid
int WhereX();
int WhereY();
void TextColor(int colour);        // ignored when colours are fixed
void TextBackground(int colour);
uint8_t CurrentAttribute();
uint8_t ScreenChar(int column, int row);
uint8_t ScreenAttr(int column, int row);
// The text of one row (80 Latin-1 bytes).
std::string ScreenRow(int row);

// Window title (up to 79 characters) and state.
void SetTitle(const std::string& title);
const std::string& Title();
void ShowWindow(platform::window::ShowMode mode);

// The message pump. PumpMessages dispatches everything pending;
// WaitMessage waits for the next message (or a timer), then dispatches.
void PumpMessages();
void PumpConsoleMessages();
void WaitMessage(int64_t timeout_ms = -1);
// Sleeps `ms` (0-65535) through the pump.
void Delay(unsigned ms);

// What the console must tell the user (a terminal too small for the grid,
// Braille input where no key releases come) is handed to the notice handler
// (speech registers one that writes and speaks); without one it is written.
// Notices are delivered at safe points: when a key wait starts or goes on,
// and when DeliverNotices is called.
using NoticeHandler = void (*)(const std::string& latin1);
void SetNoticeHandler(NoticeHandler handler);
void PostNotice(const std::string& latin1);
void DeliverNotices();

// Redraws the cursor's cell, so the caret shows or goes at once (ReadKey
// calls it when its wait starts and ends).
void RefreshCaret();

// The mouse pointer in pixels, on the screen or relative to the window;
// false when the back end has no pointer (terminal, headless).
bool PointerPosition(int& x, int& y, bool on_screen);

void CopyToClipboard(const std::string& text);
// At most size - 1 characters of the clipboard's text; empty when size is 0.
std::string PasteFromClipboard(size_t size);

// The picture overlay: a BMP with a 40-byte info header.
bool LoadPicture(const std::string& file);
void DrawPicture(int x, int y);
void RemovePicture();

struct Date { int year, month, day, day_of_week; };
struct Time { int hour, minute, second, hundredths; };
Date GetDate();
Time GetTime();

// The one handler of the audio device's buffer-done messages.
void SetWaveDoneHandler(std::function<void(int64_t buffer_id)> handler);

// Ends the program normally (exit code 0): drains the keyboard, destroys the
// window and runs every module's finalisation.
[[noreturn]] void CloseConsole();
// Ends the program with `code` after the same clean-up.
[[noreturn]] void EndProgram(int code);

// Settings in force (read when the window is created).
int Magnification();
bool StartsMaximised();
// The colour a colour index (0-15) is shown in, after TABCORES.
platform::window::Rgb ColourOf(int index);

// The back end in use (created with the window); null before.
platform::window::Backend* ActiveBackend();

// Tests: forget the window and every setting, as at program start.
void ResetForTests();

}  // namespace console
