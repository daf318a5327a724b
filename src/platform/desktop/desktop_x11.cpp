// The desktop over X11 and EWMH; the clipboard is served by a thread of its
// own with its own connection, so other programs can paste what a script put
// there whatever this program is doing.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/desktop/desktop.h"
#include "platform/lifecycle.h"
#include "platform/text.h"

namespace platform::desktop {
namespace {

struct State {
  bool tried = false;
  Display* display = nullptr;
  ::Window root = 0;
  ::Window helper = 0;  // receives the clipboard of other programs
  bool exit_registered = false;
};

State& S() {
  static State state;
  return state;
}

XErrorHandler g_previous_handler = nullptr;

// Errors on our connection (a window that went away between two requests)
// are expected and ignored; others go to whoever handled them before.
int IgnoreOwnErrors(Display* display, XErrorEvent* event) {
  if (display == S().display) return 0;
  if (g_previous_handler) return g_previous_handler(display, event);
  return 0;
}

Display* Connection() {
  State& s = S();
  if (s.tried) return s.display;
  s.tried = true;
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return nullptr;
  s.display = XOpenDisplay(nullptr);
  if (!s.display) return nullptr;
  g_previous_handler = XSetErrorHandler(IgnoreOwnErrors);
  s.root = DefaultRootWindow(s.display);
  s.helper = XCreateSimpleWindow(s.display, s.root, 0, 0, 1, 1, 0, 0, 0);
  if (!s.exit_registered) {
    s.exit_registered = true;
    platform::AtExit([] { Close(); });
  }
  return s.display;
}

Atom A(const char* name) { return XInternAtom(S().display, name, False); }

// A property of 32-bit items (window ids, atoms, cardinals) as longs.
std::vector<unsigned long> LongProperty(::Window window, const char* name, Atom type) {
  std::vector<unsigned long> items;
  Atom actual = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(S().display, window, A(name), 0, 4096, False, type, &actual, &format, &count, &after,
                         &data) == Success &&
      data) {
    if (format == 32) {
      auto* values = reinterpret_cast<unsigned long*>(data);
      items.assign(values, values + count);
    }
    XFree(data);
  }
  return items;
}

std::string Title(::Window window) {
  Display* display = S().display;
  Atom actual = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display, window, A("_NET_WM_NAME"), 0, 1024, False, A("UTF8_STRING"), &actual, &format,
                         &count, &after, &data) == Success &&
      data) {
    if (format == 8) title = Utf8ToLatin1(std::string(reinterpret_cast<char*>(data), count));
    XFree(data);
    if (!title.empty()) return title;
  }
  XTextProperty property{};
  if (XGetWMName(display, window, &property) && property.value) {
    std::string bytes(reinterpret_cast<char*>(property.value), property.nitems);
    title = property.encoding == A("UTF8_STRING") ? Utf8ToLatin1(bytes) : bytes;
    XFree(property.value);
  }
  return title;
}

bool HasState(::Window window, const char* state) {
  Atom wanted = A(state);
  for (unsigned long atom : LongProperty(window, "_NET_WM_STATE", XA_ATOM))
    if (atom == wanted) return true;
  return false;
}

void SendRootMessage(::Window window, const char* type, long a, long b, long c, long d = 0) {
  State& s = S();
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = A(type);
  event.xclient.format = 32;
  event.xclient.data.l[0] = a;
  event.xclient.data.l[1] = b;
  event.xclient.data.l[2] = c;
  event.xclient.data.l[3] = d;
  XSendEvent(s.display, s.root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

void Activate(::Window window) {
  // Source 2: a pager acting for the user, which window managers obey.
  SendRootMessage(window, "_NET_ACTIVE_WINDOW", 2, CurrentTime, 0);
  XMapRaised(S().display, window);
}

// --- the clipboard's server ----------------------------------------------------

class ClipboardServer {
 public:
  ~ClipboardServer() { Stop(); }

  // Makes the server the owner of the clipboard with `utf8`; waits until it is.
  void Offer(const std::string& utf8) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!Start()) return;
    text_ = utf8;
    ++requested_;
    char wake = 'o';
    if (write(wake_[1], &wake, 1) != 1) return;
    done_.wait_for(lock, std::chrono::seconds(2), [this] { return served_ == requested_; });
  }

  // The text while this program owns the clipboard.
  bool Owned(std::string& utf8) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!owner_) return false;
    utf8 = text_;
    return true;
  }

  void Stop() {
    if (!thread_.joinable()) return;
    char wake = 'q';
    if (write(wake_[1], &wake, 1) == 1) thread_.join();
    else thread_.detach();
    close(wake_[0]);
    close(wake_[1]);
    owner_ = false;
  }

 private:
  bool Start() {
    if (thread_.joinable()) return true;
    display_ = XOpenDisplay(nullptr);
    if (!display_) return false;
    if (pipe(wake_) != 0) {
      XCloseDisplay(display_);
      display_ = nullptr;
      return false;
    }
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
    XFlush(display_);
    thread_ = std::thread([this] { Run(); });
    return true;
  }

  void Run() {
    Atom clipboard = XInternAtom(display_, "CLIPBOARD", False);
    Atom targets = XInternAtom(display_, "TARGETS", False);
    Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    Atom text = XInternAtom(display_, "TEXT", False);
    for (;;) {
      while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == SelectionClear) {
          std::lock_guard<std::mutex> lock(mutex_);
          owner_ = false;
        } else if (event.type == SelectionRequest) {
          const XSelectionRequestEvent& request = event.xselectionrequest;
          XSelectionEvent reply{};
          reply.type = SelectionNotify;
          reply.requestor = request.requestor;
          reply.selection = request.selection;
          reply.target = request.target;
          reply.time = request.time;
          reply.property = None;
          Atom property = request.property == None ? request.target : request.property;
          std::string offered;
          bool owner;
          {
            std::lock_guard<std::mutex> lock(mutex_);
            owner = owner_;
            offered = text_;
          }
          if (owner && request.target == targets) {
            Atom list[] = {targets, utf8, XA_STRING, text};
            XChangeProperty(display_, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(list), 4);
            reply.property = property;
          } else if (owner && (request.target == utf8 || request.target == text)) {
            XChangeProperty(display_, request.requestor, property, utf8, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(offered.data()), static_cast<int>(offered.size()));
            reply.property = property;
          } else if (owner && request.target == XA_STRING) {
            std::string latin1 = Utf8ToLatin1(offered);
            XChangeProperty(display_, request.requestor, property, XA_STRING, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(latin1.data()), static_cast<int>(latin1.size()));
            reply.property = property;
          }
          XSendEvent(display_, request.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
          XFlush(display_);
        }
      }
      pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {wake_[0], POLLIN, 0}};
      if (poll(fds, 2, 1000) < 0) continue;
      if (fds[1].revents & POLLIN) {
        char command = 0;
        if (read(wake_[0], &command, 1) != 1) continue;
        if (command == 'q') break;
        XSetSelectionOwner(display_, clipboard, window_, CurrentTime);
        XFlush(display_);
        std::lock_guard<std::mutex> lock(mutex_);
        owner_ = XGetSelectionOwner(display_, clipboard) == window_;
        served_ = requested_;
        done_.notify_all();
      }
    }
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
    display_ = nullptr;
  }

  std::mutex mutex_;
  std::condition_variable done_;
  std::thread thread_;
  Display* display_ = nullptr;
  ::Window window_ = 0;
  int wake_[2] = {-1, -1};
  std::string text_;
  bool owner_ = false;
  uint64_t requested_ = 0, served_ = 0;
};

ClipboardServer& Server() {
  static ClipboardServer server;
  return server;
}

}  // namespace

bool Available() { return Connection() != nullptr; }

std::vector<Window> TopLevelWindows() {
  std::vector<Window> windows;
  Display* display = Connection();
  if (!display) return windows;
  State& s = S();
  std::vector<unsigned long> ids = LongProperty(s.root, "_NET_CLIENT_LIST_STACKING", XA_WINDOW);
  if (ids.empty()) ids = LongProperty(s.root, "_NET_CLIENT_LIST", XA_WINDOW);
  for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
    Window window;
    window.id = *it;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, *it, &attributes)) continue;
    window.title = Title(*it);
    window.minimised = HasState(*it, "_NET_WM_STATE_HIDDEN");
    window.visible = attributes.map_state == IsViewable && !window.minimised;
    windows.push_back(window);
  }
  return windows;
}

bool WindowExists(WindowId id) {
  Display* display = Connection();
  if (!display) return false;
  for (unsigned long client : LongProperty(S().root, "_NET_CLIENT_LIST", XA_WINDOW))
    if (client == id) return true;
  return false;
}

void Show(WindowId id, Action action) {
  Display* display = Connection();
  if (!display) return;
  const long remove = 0, add = 1;
  switch (action) {
    case Action::Normal:
      SendRootMessage(id, "_NET_WM_STATE", remove, A("_NET_WM_STATE_MAXIMIZED_VERT"),
                      A("_NET_WM_STATE_MAXIMIZED_HORZ"), 2);
      Activate(id);
      break;
    case Action::Maximise:
      SendRootMessage(id, "_NET_WM_STATE", add, A("_NET_WM_STATE_MAXIMIZED_VERT"), A("_NET_WM_STATE_MAXIMIZED_HORZ"),
                      2);
      Activate(id);
      break;
    case Action::Minimise:
      XIconifyWindow(display, id, DefaultScreen(display));
      break;
  }
  XFlush(display);
}

void RequestClose(WindowId id) {
  Display* display = Connection();
  if (!display) return;
  SendRootMessage(id, "_NET_CLOSE_WINDOW", CurrentTime, 2, 0);
  XFlush(display);
}

WindowId Foreground() {
  if (!Connection()) return 0;
  std::vector<unsigned long> active = LongProperty(S().root, "_NET_ACTIVE_WINDOW", XA_WINDOW);
  return active.empty() ? 0 : active[0];
}

std::string ForegroundTitle() {
  WindowId id = Foreground();
  return id ? Title(id) : "";
}

bool ForegroundFrame(int& left, int& top, int& width, int& height, int* border) {
  WindowId id = Foreground();
  if (!id) return false;
  Display* display = S().display;
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(display, id, &attributes)) return false;
  int x = 0, y = 0;
  ::Window child = 0;
  XTranslateCoordinates(display, id, S().root, 0, 0, &x, &y, &child);
  std::vector<unsigned long> extents = LongProperty(id, "_NET_FRAME_EXTENTS", XA_CARDINAL);
  long frame_left = 0, frame_right = 0, frame_top = 0, frame_bottom = 0;
  if (extents.size() == 4) {
    frame_left = static_cast<long>(extents[0]);
    frame_right = static_cast<long>(extents[1]);
    frame_top = static_cast<long>(extents[2]);
    frame_bottom = static_cast<long>(extents[3]);
  }
  left = x - static_cast<int>(frame_left);
  top = y - static_cast<int>(frame_top);
  width = attributes.width + static_cast<int>(frame_left + frame_right);
  height = attributes.height + static_cast<int>(frame_top + frame_bottom);
  if (border) *border = static_cast<int>(frame_left);
  return true;
}

WindowId OwnWindow() {
  if (!Connection()) return 0;
  unsigned long pid = static_cast<unsigned long>(getpid());
  for (unsigned long client : LongProperty(S().root, "_NET_CLIENT_LIST", XA_WINDOW)) {
    std::vector<unsigned long> owner = LongProperty(client, "_NET_WM_PID", XA_CARDINAL);
    if (!owner.empty() && owner[0] == pid) return client;
  }
  return 0;
}

void SetClipboard(const std::string& latin1) {
  if (!Connection()) return;
  Server().Offer(Latin1ToUtf8(latin1));
}

bool Clipboard(std::string& latin1, int timeout_ms) {
  latin1.clear();
  Display* display = Connection();
  if (!display) return false;
  std::string utf8;
  if (Server().Owned(utf8)) {
    latin1 = Utf8ToLatin1(utf8);
    return true;
  }
  State& s = S();
  Atom clipboard = A("CLIPBOARD");
  if (XGetSelectionOwner(display, clipboard) == None) return false;
  Atom property = A("TESSEL_CLIPBOARD");
  for (Atom target : {A("UTF8_STRING"), XA_STRING}) {
    XDeleteProperty(display, s.helper, property);
    XConvertSelection(display, clipboard, target, property, s.helper, CurrentTime);
    XFlush(display);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    XEvent event{};
    bool answered = false;
    while (std::chrono::steady_clock::now() < deadline) {
      if (XCheckTypedWindowEvent(display, s.helper, SelectionNotify, &event)) {
        answered = true;
        break;
      }
      pollfd ready{ConnectionNumber(display), POLLIN, 0};
      poll(&ready, 1, 10);
    }
    if (!answered) return false;
    if (event.xselection.property == None) continue;
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool got = false;
    if (XGetWindowProperty(display, s.helper, property, 0, 1 << 20, True, AnyPropertyType, &actual, &format, &count,
                           &after, &data) == Success &&
        data) {
      if (format == 8 && actual != A("INCR")) {
        std::string bytes(reinterpret_cast<char*>(data), count);
        latin1 = target == XA_STRING ? bytes : Utf8ToLatin1(bytes);
        got = true;
      }
      XFree(data);
    }
    if (got) return true;
  }
  return false;
}

void Close() {
  Server().Stop();
  State& s = S();
  if (s.display) {
    XDestroyWindow(s.display, s.helper);
    XSetErrorHandler(g_previous_handler);
    XCloseDisplay(s.display);
  }
  s.display = nullptr;
  s.tried = false;
}

}  // namespace platform::desktop
