// desktop: the top-level windows of other programs, the foreground window and
// the clipboard, over X11 with a window manager that follows EWMH.
//
// Every operation opens the display ($DISPLAY) on first use; without one,
// Available() is false and the others do nothing (empty texts, no windows).
// Titles are Latin-1 on this side.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform::desktop {

using WindowId = uint64_t;

bool Available();

struct Window {
  WindowId id = 0;
  std::string title;      // Latin-1, as the window names itself
  bool visible = false;   // mapped and shown
  bool minimised = false;
  bool enabled = true;
};

// The top-level windows of the desktop, top of the stacking order first.
std::vector<Window> TopLevelWindows();
bool WindowExists(WindowId id);

enum class Action { Normal, Maximise, Minimise };
// Shows the window as asked; Normal and Maximise also make it the active one.
void Show(WindowId id, Action action);
// Asks the window manager to close the window (the close box).
void RequestClose(WindowId id);

// The active window (0 when none) and its title.
WindowId Foreground();
std::string ForegroundTitle();
// The outer frame of the active window in screen pixels, and the width of
// its left border; false when there is no active window.
bool ForegroundFrame(int& left, int& top, int& width, int& height, int* border = nullptr);
// The window of this program (its console window), 0 when it has none.
WindowId OwnWindow();

// The X clipboard. SetClipboard makes this program its owner; a helper
// thread keeps serving the text to other programs while this one runs.
void SetClipboard(const std::string& latin1);
// The clipboard's text (Latin-1); false when no program offers text (or it
// did not answer within `timeout_ms`).
bool Clipboard(std::string& latin1, int timeout_ms = 2000);

// Drops the connection and stops serving the clipboard (program end, tests).
void Close();

}  // namespace platform::desktop
