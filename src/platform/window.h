// window: the console's back ends.
//
// The console module keeps the 80x25 grid, the cursor and the colours; a back
// end only shows them and turns what the user does into platform Events.
// Back ends, chosen by TESSEL_CONSOLE (each create() returns null when it
// cannot work here, and the next is tried):
//   window     SDL2 window, SDL2_ttf text, font found through fontconfig
//   terminal   ANSI colours and raw keys on a text terminal
//   headless   the grid lives in memory; keys come from the key script
// Default order: window when a display is available, else terminal when
// standard input is a terminal, else headless.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::window {

constexpr int kColumns = 80;
constexpr int kRows = 25;

struct Rgb {
  uint8_t r, g, b;
};

// What there is to show, owned by the console module.
struct Frame {
  const uint8_t* chars = nullptr;  // kColumns * kRows Latin-1 bytes, row-major
  const uint8_t* attrs = nullptr;  // low nibble foreground, high nibble background
  const Rgb* colours = nullptr;    // 16 entries: the colour of each nibble value, remap applied
  int cursor_column = 0;           // 0-based
  int cursor_row = 0;
  bool caret_visible = false;      // the caret is shown only while ReadKey waits
};

// The console's font settings; 0 or empty means "choose".
struct FontRequest {
  std::string face;
  int width = 0;
  int height = 0;
  int weight = 700;
};

enum class ShowMode { Normal, Maximised, Minimised, Restore, Hide };

// A picture drawn over the text: 32-bit 0xAARRGGBB pixels, top row first.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual const char* Name() const = 0;

  // Shows the cells [column_from, column_to) x [row_from, row_to) of the
  // frame (0-based, half-open); a back end may redraw more.
  virtual void Draw(const Frame& frame, int column_from, int column_to, int row_from, int row_to) = 0;
  // The grid scrolled up one row: rows 2-25 moved up, row 25 is new.
  // `copy_pixels` asks for the slow-scroll pixel copy where the back end can.
  virtual void Scrolled(const Frame& frame, bool copy_pixels) { (void)copy_pixels; Draw(frame, 0, kColumns, 0, kRows); }

  // Moves whatever happened (keys, close box, focus, mouse) into the
  // platform event queue, without waiting.
  virtual void Pump() = 0;
  // Waits until something happens or is posted, or `timeout_ms` of program
  // time passes (-1: no limit). A virtual-time back end moves the clock.
  virtual void Wait(int64_t timeout_ms) = 0;
  // The program waits for a key and the queue is empty. A back end that
  // releases keys on demand (the headless key script) posts one here.
  // Returns false when no key can ever come.
  virtual bool NeedKey() { return true; }

  virtual void SetTitle(const std::string& latin1) = 0;
  virtual void Show(ShowMode mode) { (void)mode; }
  // Plain text clipboard; Latin-1 on this side.
  virtual void SetClipboard(const std::string& latin1) = 0;
  virtual std::string Clipboard() = 0;
  // The picture over the text at pixel position (x, y); null removes it.
  virtual void SetPicture(const Picture* picture, int x, int y) { (void)picture; (void)x; (void)y; }
  // Factor of the right-button magnifier (1-7).
  virtual void SetMagnifier(int factor) { (void)factor; }
  // The size of a character cell in pixels (the headless grid reports 8x16).
  virtual void CellSize(int& width, int& height) const { width = 8; height = 16; }
  // The cursor leaves row `row` (0-based) for the next one: the row is
  // complete. Called before the grid scrolls.
  virtual void RowCompleted(const Frame& frame, int row) { (void)frame; (void)row; }
  // The mouse pointer in pixels: on the screen, or relative to the console
  // window's text area. False where there is no pointer to read.
  virtual bool PointerPosition(int& x, int& y, bool on_screen) {
    (void)x; (void)y; (void)on_screen;
    return false;
  }
  // Whether key releases are reported as they happen (Braille chords need
  // them; a text terminal reports none).
  virtual bool ReportsKeyReleases() const { return true; }
  // A Latin-1 text the user must hear about the back end (once), e.g. a
  // terminal too small for the grid; empty when there is none.
  virtual std::string TakeNotice() { return {}; }
  // Called once before the program exits.
  virtual void Shutdown() {}
};

struct BackendDescriptor {
  const char* name;
  const char* description;
  std::unique_ptr<Backend> (*create)(const FontRequest& font, ShowMode initial);
};

// The back end CreateBackend will try first: TESSEL_CONSOLE, else "window"
// with a display, else "terminal" on a terminal, else "headless".
std::string PreferredBackendName();

// Creates the back end named by TESSEL_CONSOLE, or the first that works.
std::unique_ptr<Backend> CreateBackend(const FontRequest& font, ShowMode initial);

// The back ends compiled in.
extern const BackendDescriptor kHeadlessBackend;
extern const BackendDescriptor kTerminalBackend;
extern const BackendDescriptor kSdlBackend;

}  // namespace platform::window
