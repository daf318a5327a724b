// The window console: an SDL2 window showing the 80x25 grid with SDL2_ttf,
// in the font fontconfig finds for the configured face.
//
// Divisions of this file:
//   RAII            deleters and subsystem guards for SDL, SDL_ttf, fontconfig
//   font choice     the configured face, else a monospace face with every
//                   Latin-1 glyph; cell size from the font or the request
//   keys            SDL keys and text input turned into platform key events
//   SdlBackend      drawing into a persistent canvas texture, caret,
//                   magnifier, picture, clipboard, the event pump
//
// Everything is drawn into the canvas (80x25 cells) and the window shows the
// canvas, then the picture, then the caret; a partial redraw only touches
// the canvas cells named, and the window is composed again on every present.
#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/events.h"
#include "platform/text.h"
#include "platform/window.h"

namespace platform::window {
namespace {

// --- RAII --------------------------------------------------------------------

// Frees each kind of SDL, SDL_ttf and fontconfig object the right way.
struct Release {
  void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
  void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
  void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
  void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
  void operator()(char* sdl_text) const { SDL_free(sdl_text); }
};
template <typename T>
using Owned = std::unique_ptr<T, Release>;

// The SDL video subsystem, counted by SDL, so the audio layer may use SDL too.
class VideoSubsystem {
 public:
  VideoSubsystem() = default;
  VideoSubsystem(const VideoSubsystem&) = delete;
  VideoSubsystem& operator=(const VideoSubsystem&) = delete;
  ~VideoSubsystem() {
    if (started_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  // Starts the subsystem; false when no display can be reached.
  bool Start() {
    // Our own handlers (or the default ones) deal with SIGINT and SIGTERM.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    started_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    return started_;
  }

 private:
  bool started_ = false;
};

// SDL_ttf, counted by SDL_ttf.
class TtfLibrary {
 public:
  TtfLibrary() = default;
  TtfLibrary(const TtfLibrary&) = delete;
  TtfLibrary& operator=(const TtfLibrary&) = delete;
  ~TtfLibrary() {
    if (started_) TTF_Quit();
  }
  bool Start() {
    started_ = TTF_Init() == 0;
    return started_;
  }

 private:
  bool started_ = false;
};

// --- font choice ---------------------------------------------------------------

struct FontFile {
  std::string path;
  int index = 0;              // face inside a collection
  bool synthetic_bold = false;  // bold asked for, the file is not bold
};

// True when fontconfig's family name is the one asked for (case aside).
bool SameFamily(const std::string& wanted, const char* family) {
  return strcasecmp(wanted.c_str(), family) == 0;
}

// True when the font has a glyph for every printable Latin-1 character.
bool CoversLatin1(FcPattern* font) {
  FcCharSet* characters = nullptr;
  if (FcPatternGetCharSet(font, FC_CHARSET, 0, &characters) != FcResultMatch) return false;
  for (FcChar32 c = 0x20; c <= 0xFF; ++c) {
    if (c >= 0x7F && c < 0xA0) continue;
    if (!FcCharSetHasChar(characters, c)) return false;
  }
  return true;
}

// Asks fontconfig for `family` at `weight` (100-900). With `family_must_match`
// only that family is taken; with `monospace` only a fixed-pitch face. The
// face must show all of Latin-1.
std::optional<FontFile> MatchFont(const std::string& family, int weight, bool family_must_match, bool monospace) {
  Owned<FcPattern> pattern(FcPatternCreate());
  if (!pattern) return std::nullopt;
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pattern.get(), FC_SLANT, FC_SLANT_ROMAN);
  if (monospace) FcPatternAddInteger(pattern.get(), FC_SPACING, FC_MONO);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  Owned<FcPattern> match(FcFontMatch(nullptr, pattern.get(), &result));
  if (!match) return std::nullopt;
  FcChar8* path = nullptr;
  if (FcPatternGetString(match.get(), FC_FILE, 0, &path) != FcResultMatch) return std::nullopt;
  if (family_must_match) {
    bool found = false;
    FcChar8* name = nullptr;
    for (int i = 0; !found && FcPatternGetString(match.get(), FC_FAMILY, i, &name) == FcResultMatch; ++i)
      found = SameFamily(family, reinterpret_cast<const char*>(name));
    if (!found) return std::nullopt;
  }
  int spacing = FC_PROPORTIONAL;
  FcPatternGetInteger(match.get(), FC_SPACING, 0, &spacing);
  if (monospace && spacing < FC_MONO) return std::nullopt;
  if (!CoversLatin1(match.get())) return std::nullopt;
  FontFile file;
  file.path = reinterpret_cast<const char*>(path);
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &file.index);
  int matched_weight = FC_WEIGHT_REGULAR;
  FcPatternGetInteger(match.get(), FC_WEIGHT, 0, &matched_weight);
  file.synthetic_bold = weight >= 600 && matched_weight < FC_WEIGHT_DEMIBOLD;
  return file;
}

// The configured face when fontconfig has it, else a monospace face with all
// of Latin-1 (DejaVu Sans Mono on a plain Debian).
std::optional<FontFile> ChooseFont(const FontRequest& request) {
  if (!FcInit()) return std::nullopt;
  int weight = request.weight > 0 ? std::clamp(request.weight, 100, 1000) : 700;
  if (!request.face.empty())
    if (auto file = MatchFont(request.face, weight, true, false)) return file;
  if (auto file = MatchFont("monospace", weight, false, true)) return file;
  return MatchFont("DejaVu Sans Mono", weight, true, false);
}

// The largest point size whose line height fits in `height` pixels.
int FitPointSize(TTF_Font* font, int height) {
  int low = 1, high = height * 2;
  while (low < high) {
    int middle = (low + high + 1) / 2;
    if (TTF_SetFontSize(font, middle) == 0 && TTF_FontHeight(font) <= height) low = middle;
    else high = middle - 1;
  }
  TTF_SetFontSize(font, low);
  return low;
}

// The desktop area outside panels, as the default cell size is a share of it.
SDL_Rect WorkArea() {
  SDL_Rect area{0, 0, 1024, 734};
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0) area = usable;
  return area;
}

// --- keys ----------------------------------------------------------------------

// One key as the keyboard module wants it.
struct KeyReport {
  Key key = Key::Other;
  uint8_t symbol = 0;
  int typed = -1;  // the character of a key that types one but sends no text input, -1 none
  bool ctrl = false, shift = false, alt = false;
};

// The navigation key of a keypad key with Num Lock off, or Key::None.
Key KeypadNavigation(SDL_Keycode sym) {
  switch (sym) {
    case SDLK_KP_0: return Key::Insert;
    case SDLK_KP_PERIOD: return Key::Delete;
    case SDLK_KP_1: return Key::End;
    case SDLK_KP_2: return Key::Down;
    case SDLK_KP_3: return Key::PageDown;
    case SDLK_KP_4: return Key::Left;
    case SDLK_KP_6: return Key::Right;
    case SDLK_KP_7: return Key::Home;
    case SDLK_KP_8: return Key::Up;
    case SDLK_KP_9: return Key::PageUp;
    default: return Key::None;
  }
}

// Turns an SDL key into our key. The left Alt is Alt; the right Alt is left
// to the layout (AltGr types characters on most European layouts).
KeyReport TranslateKey(const SDL_Keysym& keysym) {
  KeyReport report;
  report.ctrl = (keysym.mod & KMOD_CTRL) != 0;
  report.shift = (keysym.mod & KMOD_SHIFT) != 0;
  report.alt = (keysym.mod & KMOD_LALT) != 0;
  SDL_Keycode sym = keysym.sym;
  SDL_Scancode scancode = keysym.scancode;
  if (sym >= SDLK_F1 && sym <= SDLK_F12) {
    report.key = static_cast<Key>(static_cast<int>(Key::F1) + (sym - SDLK_F1));
    return report;
  }
  // With Ctrl+Alt the X keymap turns the function keys into terminal
  // switches; the key itself still names F1-F12.
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) {
    report.key = static_cast<Key>(static_cast<int>(Key::F1) + (scancode - SDL_SCANCODE_F1));
    return report;
  }
  if (sym >= 'a' && sym <= 'z') {
    report.key = Key::Letter;
    report.symbol = static_cast<uint8_t>(sym - 'a' + 'A');
    if (report.ctrl) report.typed = sym - 'a' + 1;  // Ctrl+letter types 1-26
    return report;
  }
  if (sym >= '0' && sym <= '9') {
    report.key = Key::Digit;
    report.symbol = static_cast<uint8_t>(sym);
    return report;
  }
  if (!(keysym.mod & KMOD_NUM)) {
    Key navigation = KeypadNavigation(sym);
    if (navigation != Key::None) {
      report.key = navigation;
      return report;
    }
  }
  switch (sym) {
    case SDLK_INSERT: report.key = Key::Insert; return report;
    case SDLK_DELETE: report.key = Key::Delete; return report;
    case SDLK_HOME: report.key = Key::Home; return report;
    case SDLK_END: report.key = Key::End; return report;
    case SDLK_PAGEUP: report.key = Key::PageUp; return report;
    case SDLK_PAGEDOWN: report.key = Key::PageDown; return report;
    case SDLK_UP: report.key = Key::Up; return report;
    case SDLK_DOWN: report.key = Key::Down; return report;
    case SDLK_LEFT: report.key = Key::Left; return report;
    case SDLK_RIGHT: report.key = Key::Right; return report;
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER: report.key = Key::Enter; report.typed = 13; return report;
    case SDLK_BACKSPACE: report.key = Key::Backspace; report.typed = 8; return report;
    case SDLK_ESCAPE: report.key = Key::Escape; report.typed = 27; return report;
    case SDLK_TAB:
    case SDLK_KP_TAB: report.key = Key::Tab; report.typed = 9; return report;
    case SDLK_SPACE:
      report.key = Key::Space;
      if (report.ctrl) report.typed = ' ';  // text input leaves Ctrl+Space out
      return report;
    case SDLK_PAUSE:
    case SDLK_CANCEL: report.key = Key::Break; return report;
    case SDLK_SCROLLLOCK:  // Ctrl+Scroll Lock is Break on keyboards without a Pause key
      if (report.ctrl) report.key = Key::Break;
      return report;
    default: break;
  }
  if (report.ctrl) {  // Ctrl+[ \ ] type ESC, 28, 29
    if (sym == '[') report.typed = 27;
    else if (sym == '\\') report.typed = 28;
    else if (sym == ']') report.typed = 29;
  }
  // Layouts whose letter and digit keys type something else still have the
  // keys: take them by position, so Alt+key works everywhere.
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
    report.key = Key::Letter;
    report.symbol = static_cast<uint8_t>('A' + (scancode - SDL_SCANCODE_A));
    if (report.ctrl) report.typed = report.symbol - 'A' + 1;
  } else if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_0) {
    report.key = Key::Digit;
    report.symbol = static_cast<uint8_t>(scancode == SDL_SCANCODE_0 ? '0' : '1' + (scancode - SDL_SCANCODE_1));
  }
  return report;
}

// A key event of `type` carrying the report's key and modifiers.
Event KeyEvent(EventType type, const KeyReport& report) {
  Event event;
  event.type = type;
  event.key = report.key;
  event.symbol = report.symbol;
  event.ctrl = report.ctrl;
  event.shift = report.shift;
  event.alt = report.alt;
  return event;
}

// --- the back end --------------------------------------------------------------------

using SteadyClock = std::chrono::steady_clock;

// Longest single sleep of Wait, so events posted by other threads are seen.
constexpr int64_t kWaitSliceMs = 10;

// Bytes drawn as a blank: controls, DEL, the blank itself and the five
// bytes Windows-1252 leaves undefined.
bool ShownAsBlank(unsigned char byte) {
  return byte <= 32 || byte == 127 || byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 ||
         byte == 0x9D;
}

// An opaque SDL colour.
SDL_Color ToSdl(const Rgb& colour) { return SDL_Color{colour.r, colour.g, colour.b, 255}; }

class SdlBackend final : public Backend {
 public:
  SdlBackend() = default;
  SdlBackend(const SdlBackend&) = delete;
  SdlBackend& operator=(const SdlBackend&) = delete;

  // Opens the window; false (with a message) when it cannot work here.
  bool Start(const FontRequest& request, ShowMode initial) {
    if (!video_.Start()) return Fail("no display", SDL_GetError());
    if (!ttf_.Start()) return Fail("SDL_ttf", TTF_GetError());
    if (!OpenFont(request)) return false;
    window_.reset(SDL_CreateWindow("Tessel", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, canvas_width(),
                                   canvas_height(), SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN));
    if (!window_) return Fail("window", SDL_GetError());
    // Largest size: the grid; smallest: 16 x 4 cells.
    SDL_SetWindowMaximumSize(window_.get(), canvas_width(), canvas_height());
    SDL_SetWindowMinimumSize(window_.get(), 16 * cell_width_, 4 * cell_height_);
    renderer_.reset(SDL_CreateRenderer(window_.get(), -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE));
    if (!renderer_)
      renderer_.reset(SDL_CreateRenderer(window_.get(), -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE));
    if (!renderer_ || !SDL_RenderTargetSupported(renderer_.get())) return Fail("renderer", SDL_GetError());
    canvas_ = MakeTarget(canvas_width(), canvas_height());
    if (!canvas_) return Fail("canvas", SDL_GetError());
    ClearTarget(canvas_.get());
    SDL_StartTextInput();
    if (initial != ShowMode::Hide) Show(initial);
    Present();
    return true;
  }

  const char* Name() const override { return "window"; }

  void Draw(const Frame& frame, int column_from, int column_to, int row_from, int row_to) override {
    column_from = std::max(column_from, 0);
    row_from = std::max(row_from, 0);
    column_to = std::min(column_to, kColumns);
    row_to = std::min(row_to, kRows);
    SDL_SetRenderTarget(renderer_.get(), canvas_.get());
    for (int row = row_from; row < row_to && column_from < column_to; ++row)
      DrawRowSpan(frame, row, column_from, column_to);
    TakeCaret(frame);
    Present();
  }

  void Scrolled(const Frame& frame, bool copy_pixels) override {
    if (!copy_pixels) {
      Draw(frame, 0, kColumns, 0, kRows);
      return;
    }
    // Rows 2-25 move up one cell height through a scratch texture (a texture
    // cannot be copied onto itself), then the new last row is drawn.
    if (!scratch_) scratch_ = MakeTarget(canvas_width(), canvas_height());
    if (!scratch_) {
      Draw(frame, 0, kColumns, 0, kRows);
      return;
    }
    SDL_Rect moved{0, cell_height_, canvas_width(), (kRows - 1) * cell_height_};
    SDL_Rect top{0, 0, canvas_width(), (kRows - 1) * cell_height_};
    SDL_SetRenderTarget(renderer_.get(), scratch_.get());
    SDL_RenderCopy(renderer_.get(), canvas_.get(), &moved, &top);
    SDL_SetRenderTarget(renderer_.get(), canvas_.get());
    SDL_RenderCopy(renderer_.get(), scratch_.get(), &top, &top);
    DrawRowSpan(frame, kRows - 1, 0, kColumns);
    TakeCaret(frame);
    Present();
  }

  void Pump() override { PumpEvents(); }

  void Wait(int64_t timeout_ms) override {
    SteadyClock::time_point start = SteadyClock::now();
    for (;;) {
      if (PumpEvents() > 0 || EventsPending()) return;
      int64_t slice = kWaitSliceMs;
      if (timeout_ms >= 0) {
        int64_t left =
            timeout_ms - std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
        if (left <= 0) return;
        slice = std::min(slice, left);
      }
      int64_t timed = NextTimedEventMs();
      if (timed >= 0) {
        int64_t until = timed - NowMs();
        if (until <= 0) return;
        slice = std::min(slice, until);
      }
      SDL_Event event;
      if (SDL_WaitEventTimeout(&event, static_cast<int>(slice)) && HandleEvent(event) > 0) return;
    }
  }

  void SetTitle(const std::string& latin1) override {
    SDL_SetWindowTitle(window_.get(), Latin1ToUtf8(latin1).c_str());
  }

  void Show(ShowMode mode) override {
    SDL_Window* window = window_.get();
    switch (mode) {
      case ShowMode::Normal:
        SDL_ShowWindow(window);
        SDL_RestoreWindow(window);
        SDL_RaiseWindow(window);
        break;
      case ShowMode::Maximised:
        SDL_ShowWindow(window);
        SDL_MaximizeWindow(window);
        break;
      case ShowMode::Minimised:
        SDL_ShowWindow(window);
        SDL_MinimizeWindow(window);
        break;
      case ShowMode::Restore:
        SDL_ShowWindow(window);
        SDL_RestoreWindow(window);
        break;
      case ShowMode::Hide:
        SDL_HideWindow(window);
        break;
    }
    Present();
  }

  bool PointerPosition(int& x, int& y, bool on_screen) override {
    SDL_PumpEvents();
    SDL_GetGlobalMouseState(&x, &y);
    if (on_screen) return true;
    int left = 0, top = 0;
    SDL_GetWindowPosition(window_.get(), &left, &top);
    x -= left;
    y -= top;
    return true;
  }

  // The desktop's text is UTF-8 with LF line ends; ours Latin-1 with CR LF.
  void SetClipboard(const std::string& latin1) override {
    std::string text;
    for (size_t i = 0; i < latin1.size(); ++i)
      if (!(latin1[i] == '\r' && i + 1 < latin1.size() && latin1[i + 1] == '\n')) text += latin1[i];
    SDL_SetClipboardText(Latin1ToUtf8(text).c_str());
  }

  std::string Clipboard() override {
    if (!SDL_HasClipboardText()) return {};
    Owned<char> utf8(SDL_GetClipboardText());
    if (!utf8) return {};
    std::string latin1 = Utf8ToLatin1(utf8.get());
    std::string text;
    for (size_t i = 0; i < latin1.size(); ++i) {
      if (latin1[i] == '\n' && (i == 0 || latin1[i - 1] != '\r')) text += '\r';
      text += latin1[i];
    }
    return text;
  }

  void SetPicture(const Picture* picture, int x, int y) override {
    picture_.reset();
    if (picture && picture->width > 0 && picture->height > 0 &&
        picture->pixels.size() >= static_cast<size_t>(picture->width) * picture->height) {
      picture_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                       picture->width, picture->height));
      if (picture_) {
        SDL_UpdateTexture(picture_.get(), nullptr, picture->pixels.data(), picture->width * 4);
        SDL_SetTextureBlendMode(picture_.get(), SDL_BLENDMODE_NONE);  // drawn over the text as it is
        picture_rect_ = SDL_Rect{x, y, picture->width, picture->height};
      }
    }
    Present();
  }

  void SetMagnifier(int factor) override { magnifier_factor_ = std::clamp(factor, 1, 7); }

  void CellSize(int& width, int& height) const override {
    width = cell_width_;
    height = cell_height_;
  }

 private:
  // Reports why the window cannot work; returns false.
  static bool Fail(const char* what, const char* detail) {
    std::fprintf(stderr, "tessel: window console: %s: %s\n", what, detail ? detail : "");
    return false;
  }

  // The grid's size in pixels.
  int canvas_width() const { return kColumns * cell_width_; }
  int canvas_height() const { return kRows * cell_height_; }

  // Finds and opens the font and settles the cell size: the requested
  // height, else a share of the work area (28/734 of its height); the
  // requested width, else the font's advance, at most 13/1024 of the work
  // area's width so that 80 columns fit. Text is scaled across to the cell.
  bool OpenFont(const FontRequest& request) {
    std::optional<FontFile> file = ChooseFont(request);
    if (!file) return Fail("font", "no monospace font with the Latin-1 characters");
    SDL_Rect area = WorkArea();
    int height = request.height > 0 ? std::clamp(request.height, 4, 200)
                                     : std::clamp(static_cast<int>(std::lround(area.h * 28.0 / 734.0)), 8,
                                                  std::max(8, std::min(96, area.h / kRows)));
    font_.reset(TTF_OpenFontIndex(file->path.c_str(), height, file->index));
    if (!font_) return Fail("font", TTF_GetError());
    TTF_SetFontKerning(font_.get(), 0);
    if (file->synthetic_bold) TTF_SetFontStyle(font_.get(), TTF_STYLE_BOLD);
    FitPointSize(font_.get(), height);
    int ten_wide = 0, ignored = 0;
    if (TTF_SizeUTF8(font_.get(), "MMMMMMMMMM", &ten_wide, &ignored) != 0 || ten_wide <= 0)
      return Fail("font", TTF_GetError());
    font_advance_ = ten_wide / 10.0;
    cell_height_ = height;
    if (request.width > 0) {
      cell_width_ = std::clamp(request.width, 2, 200);
    } else {
      int share = std::max(4, std::min(64, static_cast<int>(std::lround(area.w * 13.0 / 1024.0))));
      cell_width_ = std::max(2, std::min(static_cast<int>(std::lround(font_advance_)), share));
    }
    ascent_ = TTF_FontAscent(font_.get());
    return true;
  }

  // A texture to draw into.
  Owned<SDL_Texture> MakeTarget(int width, int height) {
    return Owned<SDL_Texture>(
        SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width, height));
  }

  // Makes `texture` the target and paints it black.
  void ClearTarget(SDL_Texture* texture) {
    SDL_SetRenderTarget(renderer_.get(), texture);
    SDL_SetRenderDrawColor(renderer_.get(), 0, 0, 0, 255);
    SDL_RenderClear(renderer_.get());
  }

  // Draws one row's cells [column_from, column_to) on the current target in
  // runs of equal attribute: the background filled, the run's text rendered
  // once.
  void DrawRowSpan(const Frame& frame, int row, int column_from, int column_to) {
    SDL_Renderer* renderer = renderer_.get();
    int column = column_from;
    while (column < column_to) {
      int first = row * kColumns + column;
      uint8_t attribute = frame.attrs[first];
      int end = column + 1;
      while (end < column_to && frame.attrs[row * kColumns + end] == attribute) ++end;
      SDL_Rect run{column * cell_width_, row * cell_height_, (end - column) * cell_width_, cell_height_};
      SDL_Color background = ToSdl(frame.colours[attribute >> 4]);
      SDL_RenderSetClipRect(renderer, &run);
      SDL_SetRenderDrawColor(renderer, background.r, background.g, background.b, 255);
      SDL_RenderFillRect(renderer, &run);
      std::string latin1;
      bool blank = true;
      for (int i = column; i < end; ++i) {
        unsigned char byte = frame.chars[row * kColumns + i];
        blank = blank && ShownAsBlank(byte);
        latin1 += static_cast<char>(ShownAsBlank(byte) ? ' ' : byte);
      }
      if (!blank) DrawText(latin1, frame.colours[attribute & 0x0F], run);
      SDL_RenderSetClipRect(renderer, nullptr);
      column = end;
    }
  }

  // Renders one run's text at the left of `run`.
  void DrawText(const std::string& latin1, const Rgb& colour, const SDL_Rect& run) {
    Owned<SDL_Surface> surface(TTF_RenderUTF8_Blended(font_.get(), Latin1ToUtf8(latin1).c_str(), ToSdl(colour)));
    if (!surface) return;
    Owned<SDL_Texture> texture(SDL_CreateTextureFromSurface(renderer_.get(), surface.get()));
    if (!texture) return;
    // The font's own advance is stretched or squeezed to the cell width.
    int width = static_cast<int>(std::lround(surface->w * cell_width_ / font_advance_));
    SDL_Rect target{run.x, run.y, width, surface->h};
    SDL_RenderCopy(renderer_.get(), texture.get(), nullptr, &target);
  }

  // Remembers where the caret goes; it is drawn over the canvas.
  void TakeCaret(const Frame& frame) {
    caret_visible_ = frame.caret_visible;
    caret_column_ = std::clamp(frame.cursor_column, 0, kColumns - 1);
    caret_row_ = std::clamp(frame.cursor_row, 0, kRows - 1);
    // The caret inverts what it covers, as a solid system caret does.
    Rgb background = frame.colours[frame.attrs[caret_row_ * kColumns + caret_column_] >> 4];
    caret_colour_ = Rgb{static_cast<uint8_t>(255 - background.r), static_cast<uint8_t>(255 - background.g),
                        static_cast<uint8_t>(255 - background.b)};
  }

  // The window's normal image on the current target: canvas, picture, caret.
  void ComposeNormal() {
    SDL_Renderer* renderer = renderer_.get();
    SDL_Rect whole{0, 0, canvas_width(), canvas_height()};
    SDL_RenderCopy(renderer, canvas_.get(), nullptr, &whole);
    if (picture_) SDL_RenderCopy(renderer, picture_.get(), nullptr, &picture_rect_);
    if (caret_visible_) {
      int top = std::min(ascent_, cell_height_ - 2);
      SDL_Rect caret{caret_column_ * cell_width_, caret_row_ * cell_height_ + top, cell_width_, 2};
      SDL_SetRenderDrawColor(renderer, caret_colour_.r, caret_colour_.g, caret_colour_.b, 255);
      SDL_RenderFillRect(renderer, &caret);
    }
  }

  // The window's drawable size in pixels.
  void OutputSize(int& width, int& height) {
    if (SDL_GetRendererOutputSize(renderer_.get(), &width, &height) != 0) {
      width = canvas_width();
      height = canvas_height();
    }
  }

  // Shows the window: its normal image, or the magnifier's view.
  void Present() {
    SDL_Renderer* renderer = renderer_.get();
    SDL_SetRenderTarget(renderer, nullptr);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    if (snapshot_) ComposeZoom();
    else ComposeNormal();
    SDL_RenderPresent(renderer);
  }

  // Magnifier, right button down: the window's image as it is now.
  void TakeSnapshot() {
    int width = 0, height = 0;
    OutputSize(width, height);
    snapshot_ = MakeTarget(width, height);
    if (!snapshot_) return;
    ClearTarget(snapshot_.get());
    ComposeNormal();
    SDL_SetRenderTarget(renderer_.get(), nullptr);
  }

  // The zoomed view at the pointer (x, y) with factor f: the source starts at
  // (x - x div f, y - y div f), is (width div f) x (height div f) and covers
  // the whole window, so the point under the pointer stays where it is.
  void ComposeZoom() {
    int width = 0, height = 0;
    OutputSize(width, height);
    int x = std::clamp(zoom_x_, 0, std::max(width - 1, 0));
    int y = std::clamp(zoom_y_, 0, std::max(height - 1, 0));
    int factor = magnifier_factor_;
    SDL_Rect source{std::max(0, x - x / factor), std::max(0, y - y / factor), width / factor, height / factor};
    SDL_Rect target{0, 0, width, height};
    SDL_RenderCopy(renderer_.get(), snapshot_.get(), &source, &target);
  }

  // Posts an event; returns 1, the count of events posted.
  int Post(const Event& event) {
    PostEvent(event);
    return 1;
  }

  // Posts a mouse event at (x, y).
  int PostAt(EventType type, int x, int y) {
    Event event;
    event.type = type;
    event.x = x;
    event.y = y;
    return Post(event);
  }

  // Handles every SDL event waiting; returns how many events were posted.
  int PumpEvents() {
    int posted = 0;
    SDL_Event event;
    while (SDL_PollEvent(&event)) posted += HandleEvent(event);
    return posted;
  }

  // Handles one SDL event; returns how many platform events it posted.
  int HandleEvent(const SDL_Event& event) {
    switch (event.type) {
      case SDL_KEYDOWN: return KeyDown(event.key);
      case SDL_KEYUP: return Post(KeyEvent(EventType::KeyUp, TranslateKey(event.key.keysym)));
      case SDL_TEXTINPUT: return TextInput(event.text.text);
      case SDL_MOUSEMOTION:
        if (snapshot_) {
          zoom_x_ = event.motion.x;
          zoom_y_ = event.motion.y;
          Present();
        }
        return PostAt(EventType::MouseMove, event.motion.x, event.motion.y);
      case SDL_MOUSEBUTTONDOWN:
        if (event.button.button != SDL_BUTTON_RIGHT) return 0;
        if (!snapshot_) {
          TakeSnapshot();
          zoom_x_ = event.button.x;
          zoom_y_ = event.button.y;
          Present();
        }
        return PostAt(EventType::MouseRightDown, event.button.x, event.button.y);
      case SDL_MOUSEBUTTONUP:
        if (event.button.button != SDL_BUTTON_RIGHT) return 0;
        if (snapshot_) {
          snapshot_.reset();
          Present();
        }
        return PostAt(EventType::MouseRightUp, event.button.x, event.button.y);
      case SDL_WINDOWEVENT: return WindowEvent(event.window);
      case SDL_RENDER_TARGETS_RESET:
      case SDL_RENDER_DEVICE_RESET: {
        // The canvas lost its pixels: the console paints everything again.
        if (canvas_) ClearTarget(canvas_.get());
        Event expose;
        expose.type = EventType::Expose;
        return Post(expose);
      }
      default: return 0;
    }
  }

  // Close box, focus and the window's own repaints.
  int WindowEvent(const SDL_WindowEvent& window) {
    Event event;
    switch (window.event) {
      case SDL_WINDOWEVENT_CLOSE:
        event.type = EventType::Close;
        return Post(event);
      case SDL_WINDOWEVENT_FOCUS_GAINED:
        event.type = EventType::FocusGained;
        return Post(event);
      case SDL_WINDOWEVENT_FOCUS_LOST:
        event.type = EventType::FocusLost;
        return Post(event);
      case SDL_WINDOWEVENT_EXPOSED:
      case SDL_WINDOWEVENT_SHOWN:
      case SDL_WINDOWEVENT_RESTORED:
      case SDL_WINDOWEVENT_MAXIMIZED:
      case SDL_WINDOWEVENT_SIZE_CHANGED:
        Present();  // the canvas keeps the grid: nothing to ask of the console
        return 0;
      default: return 0;
    }
  }

  // A key press: KeyDown, and a Char for the keys that type a character but
  // send no text input (Enter 13, Backspace 8, Tab 9, Esc 27, Ctrl+letter
  // 1-26). With Alt no character is typed; Alt+F4 closes the window.
  int KeyDown(const SDL_KeyboardEvent& key) {
    KeyReport report = TranslateKey(key.keysym);
    // Text input that follows a key pressed with Ctrl or Alt is not typed.
    suppress_text_ = report.ctrl || report.alt;
    last_key_ = report;
    if (report.alt && !report.ctrl && report.key == Key::F4) {
      Event close;
      close.type = EventType::Close;
      return Post(close);
    }
    int posted = Post(KeyEvent(EventType::KeyDown, report));
    if (report.typed >= 0 && !report.alt) {
      Event typed = KeyEvent(EventType::Char, report);
      typed.character = static_cast<uint8_t>(report.typed);
      posted += Post(typed);
    }
    return posted;
  }

  // Text input: one Char per character the code page has.
  int TextInput(const char* utf8) {
    if (suppress_text_) {
      suppress_text_ = false;
      return 0;
    }
    std::string_view text(utf8);
    int posted = 0;
    size_t position = 0;
    while (position < text.size()) {
      size_t start = position;
      DecodeUtf8(text, position);
      std::string latin1 = Utf8ToLatin1(text.substr(start, position - start), '\0');
      if (latin1.size() != 1 || latin1[0] == '\0') continue;
      Event typed = KeyEvent(EventType::Char, last_key_);
      typed.character = static_cast<uint8_t>(latin1[0]);
      posted += Post(typed);
    }
    return posted;
  }

  // Members are destroyed in reverse order: textures before the renderer,
  // the renderer before the window, everything before the libraries.
  VideoSubsystem video_;
  TtfLibrary ttf_;
  Owned<TTF_Font> font_;
  Owned<SDL_Window> window_;
  Owned<SDL_Renderer> renderer_;
  Owned<SDL_Texture> canvas_;    // the grid, 80 x 25 cells
  Owned<SDL_Texture> scratch_;   // for the slow scroll's pixel copy
  Owned<SDL_Texture> snapshot_;  // the magnifier's image while the right button is down
  Owned<SDL_Texture> picture_;

  int cell_width_ = 8, cell_height_ = 16, ascent_ = 12;
  double font_advance_ = 8;  // the font's own advance of a character
  bool caret_visible_ = false;
  int caret_column_ = 0, caret_row_ = 0;
  Rgb caret_colour_{255, 255, 255};
  SDL_Rect picture_rect_{0, 0, 0, 0};
  int magnifier_factor_ = 2;
  int zoom_x_ = 0, zoom_y_ = 0;
  bool suppress_text_ = false;
  KeyReport last_key_;
};

// The window back end, or null when there is no display to open it on.
std::unique_ptr<Backend> CreateSdl(const FontRequest& font, ShowMode initial) {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  // Without a desktop SDL could take over a text console's screen: the
  // terminal back end serves there.
  if (!(display && *display) && !(wayland && *wayland) && !(driver && *driver)) return nullptr;
  auto backend = std::make_unique<SdlBackend>();
  if (!backend->Start(font, initial)) return nullptr;
  return backend;
}

}  // namespace

const BackendDescriptor kSdlBackend = {"window", "SDL2 window, SDL2_ttf text, font found through fontconfig",
                                       CreateSdl};

}  // namespace platform::window
