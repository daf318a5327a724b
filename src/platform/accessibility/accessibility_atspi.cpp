// The desktop's accessible objects over AT-SPI2.
#include <atspi/atspi.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/accessibility/accessibility.h"
#include "platform/lifecycle.h"
#include "platform/text.h"

namespace platform::accessibility {
namespace {

constexpr int kRingSize = 100;

struct Entry {
  int code = 0;
  AtspiAccessible* object = nullptr;  // a reference of ours
};

struct State {
  bool tried = false;
  bool connected = false;
  AtspiEventListener* listener = nullptr;
  Entry ring[kRingSize];
  int write = 0;
  int read = 0;
  AtspiAccessible* current = nullptr;
};

State& S() {
  static State state;
  return state;
}

void Drop(AtspiAccessible*& object) {
  if (object) g_object_unref(object);
  object = nullptr;
}

void ClearRing() {
  State& s = S();
  for (Entry& entry : s.ring) Drop(entry.object);
  s.write = s.read = 0;
}

void Shutdown() {
  State& s = S();
  StopMonitoring();
  ClearRing();
  if (s.connected) atspi_exit();
  s.connected = false;
}

bool Connect() {
  State& s = S();
  if (s.tried) return s.connected;
  s.tried = true;
  // Without a session bus and a display there is no accessibility bus to find.
  if (!std::getenv("DBUS_SESSION_BUS_ADDRESS") && !std::getenv("DISPLAY")) return false;
  int result = atspi_init();
  s.connected = result == 0 || result == 1;
  if (!s.connected) return false;
  // Is anyone there? The desktop answers when the bus works.
  AtspiAccessible* desktop = atspi_get_desktop(0);
  if (!desktop) {
    s.connected = false;
    return false;
  }
  g_object_unref(desktop);
  platform::AtExit([] { Shutdown(); });
  return true;
}

void OnEvent(AtspiEvent* event, void* data) {
  (void)data;
  if (!event || !event->source || !event->type) return;
  int code = 0;
  if (g_str_has_prefix(event->type, "object:state-changed:focused")) {
    if (event->detail1 != 1) return;
    code = kFocusEvent;
  } else if (g_str_has_prefix(event->type, "window:activate")) {
    code = kForegroundEvent;
  } else {
    return;
  }
  State& s = S();
  Entry& entry = s.ring[s.write];
  Drop(entry.object);
  entry.code = code;
  entry.object = ATSPI_ACCESSIBLE(g_object_ref(event->source));
  s.write = (s.write + 1) % kRingSize;
}

void Forget(GError*& error) {
  if (error) g_error_free(error);
  error = nullptr;
}

void RemoveListener() {
  State& s = S();
  if (!s.listener) return;
  GError* error = nullptr;
  atspi_event_listener_deregister(s.listener, "object:state-changed:focused", &error);
  Forget(error);
  atspi_event_listener_deregister(s.listener, "window:activate", &error);
  Forget(error);
  g_object_unref(s.listener);
  s.listener = nullptr;
}

std::string Latin1(gchar* utf8) {
  if (!utf8) return "";
  std::string text = Utf8ToLatin1(utf8);
  g_free(utf8);
  return text;
}

struct RoleName {
  AtspiRole role;
  int code;
  const char* text;  // Latin-1
};

// The kinds of object, as the Windows role numbers and their Portuguese names.
const RoleName kRoles[] = {
    {ATSPI_ROLE_TITLE_BAR, 1, "barra de t\xEDtulo"},
    {ATSPI_ROLE_MENU_BAR, 2, "barra de menus"},
    {ATSPI_ROLE_SCROLL_BAR, 3, "barra de rolagem"},
    {ATSPI_ROLE_ALERT, 8, "alerta"},
    {ATSPI_ROLE_FRAME, 9, "janela"},
    {ATSPI_ROLE_WINDOW, 9, "janela"},
    {ATSPI_ROLE_MENU, 11, "menu"},
    {ATSPI_ROLE_POPUP_MENU, 11, "menu"},
    {ATSPI_ROLE_MENU_ITEM, 12, "item de menu"},
    {ATSPI_ROLE_CHECK_MENU_ITEM, 12, "item de menu"},
    {ATSPI_ROLE_RADIO_MENU_ITEM, 12, "item de menu"},
    {ATSPI_ROLE_TOOL_TIP, 13, "dica de ferramenta"},
    {ATSPI_ROLE_APPLICATION, 14, "aplicativo"},
    {ATSPI_ROLE_DOCUMENT_FRAME, 15, "documento"},
    {ATSPI_ROLE_DOCUMENT_TEXT, 15, "documento"},
    {ATSPI_ROLE_DOCUMENT_WEB, 15, "documento"},
    {ATSPI_ROLE_DIALOG, 18, "caixa de di\xE1logo"},
    {ATSPI_ROLE_FILE_CHOOSER, 18, "caixa de di\xE1logo"},
    {ATSPI_ROLE_PANEL, 20, "agrupamento"},
    {ATSPI_ROLE_FILLER, 20, "agrupamento"},
    {ATSPI_ROLE_SEPARATOR, 21, "separador"},
    {ATSPI_ROLE_TOOL_BAR, 22, "barra de ferramentas"},
    {ATSPI_ROLE_STATUS_BAR, 23, "barra de status"},
    {ATSPI_ROLE_TABLE, 24, "tabela"},
    {ATSPI_ROLE_TREE_TABLE, 24, "tabela"},
    {ATSPI_ROLE_COLUMN_HEADER, 25, "cabe\xE7" "alho de coluna"},
    {ATSPI_ROLE_ROW_HEADER, 26, "cabe\xE7" "alho de linha"},
    {ATSPI_ROLE_TABLE_ROW, 28, "linha"},
    {ATSPI_ROLE_TABLE_CELL, 29, "c\xE9lula"},
    {ATSPI_ROLE_LINK, 30, "link"},
    {ATSPI_ROLE_LIST, 33, "lista"},
    {ATSPI_ROLE_LIST_BOX, 33, "lista"},
    {ATSPI_ROLE_LIST_ITEM, 34, "item de lista"},
    {ATSPI_ROLE_TREE, 35, "\xE1rvore"},
    {ATSPI_ROLE_TREE_ITEM, 36, "item de \xE1rvore"},
    {ATSPI_ROLE_PAGE_TAB, 37, "guia"},
    {ATSPI_ROLE_PAGE_TAB_LIST, 60, "lista de guias"},
    {ATSPI_ROLE_IMAGE, 40, "gr\xE1" "fico"},
    {ATSPI_ROLE_ICON, 40, "gr\xE1" "fico"},
    {ATSPI_ROLE_LABEL, 41, "texto est\xE1tico"},
    {ATSPI_ROLE_STATIC, 41, "texto est\xE1tico"},
    {ATSPI_ROLE_TEXT, 42, "texto edit\xE1vel"},
    {ATSPI_ROLE_ENTRY, 42, "texto edit\xE1vel"},
    {ATSPI_ROLE_PASSWORD_TEXT, 42, "texto edit\xE1vel"},
    {ATSPI_ROLE_PARAGRAPH, 42, "texto edit\xE1vel"},
    {ATSPI_ROLE_PUSH_BUTTON, 43, "bot\xE3o"},
    {ATSPI_ROLE_TOGGLE_BUTTON, 43, "bot\xE3o"},
    {ATSPI_ROLE_CHECK_BOX, 44, "caixa de sele\xE7\xE3o"},
    {ATSPI_ROLE_RADIO_BUTTON, 45, "bot\xE3o de op\xE7\xE3o"},
    {ATSPI_ROLE_COMBO_BOX, 46, "caixa de combina\xE7\xE3o"},
    {ATSPI_ROLE_PROGRESS_BAR, 48, "barra de progresso"},
    {ATSPI_ROLE_SLIDER, 51, "controle deslizante"},
    {ATSPI_ROLE_SPIN_BUTTON, 52, "bot\xE3o de rota\xE7\xE3o"},
};

void ReadRole(AtspiAccessible* object, Properties& properties) {
  GError* error = nullptr;
  AtspiRole role = atspi_accessible_get_role(object, &error);
  if (error || role == ATSPI_ROLE_INVALID) {
    Forget(error);
    return;
  }
  for (const RoleName& entry : kRoles) {
    if (entry.role == role) {
      properties.role = entry.code;
      properties.role_text = entry.text;
      return;
    }
  }
  // Any other kind: a client area, named as the desktop names it.
  properties.role = 10;
  properties.role_text = Latin1(atspi_accessible_get_role_name(object, &error));
  Forget(error);
}

std::string NumberText(double value) {
  char buffer[64];
  if (std::floor(value) == value && std::fabs(value) < 1e15)
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
  else
    std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

std::string ReadValue(AtspiAccessible* object, int role) {
  GError* error = nullptr;
  std::string value;
  if (role == 42) {
    if (AtspiText* text = atspi_accessible_get_text_iface(object)) {
      gint count = atspi_text_get_character_count(text, &error);
      Forget(error);
      if (count > 0) value = Latin1(atspi_text_get_text(text, 0, count, &error));
      Forget(error);
      g_object_unref(text);
    }
    return value;
  }
  if (AtspiValue* number = atspi_accessible_get_value_iface(object)) {
    double current = atspi_value_get_current_value(number, &error);
    if (!error) value = NumberText(current);
    Forget(error);
    g_object_unref(number);
  }
  return value;
}

// The deepest object at (x, y) under `object`.
AtspiAccessible* Deepest(AtspiAccessible* object, int x, int y) {
  for (int depth = 0; depth < 64; ++depth) {
    AtspiComponent* component = atspi_accessible_get_component_iface(object);
    if (!component) break;
    GError* error = nullptr;
    AtspiAccessible* inner = atspi_component_get_accessible_at_point(component, x, y, ATSPI_COORD_TYPE_SCREEN, &error);
    Forget(error);
    g_object_unref(component);
    if (!inner || inner == object) {
      if (inner) g_object_unref(inner);
      break;
    }
    g_object_unref(object);
    object = inner;
  }
  return object;
}

bool Showing(AtspiAccessible* object) {
  AtspiStateSet* states = atspi_accessible_get_state_set(object);
  if (!states) return false;
  bool showing = atspi_state_set_contains(states, ATSPI_STATE_SHOWING);
  g_object_unref(states);
  return showing;
}

bool Contains(AtspiAccessible* object, int x, int y) {
  AtspiComponent* component = atspi_accessible_get_component_iface(object);
  if (!component) return false;
  GError* error = nullptr;
  bool inside = atspi_component_contains(component, x, y, ATSPI_COORD_TYPE_SCREEN, &error);
  Forget(error);
  g_object_unref(component);
  return inside;
}

// Waits `ms` of real time taking in what the bus brings.
void PumpFor(int ms) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

bool StartMonitoring() {
  if (!Connect()) return false;
  State& s = S();
  // Monitoring again replaces the listeners.
  RemoveListener();
  s.listener = atspi_event_listener_new(OnEvent, nullptr, nullptr);
  GError* error = nullptr;
  bool focus = atspi_event_listener_register(s.listener, "object:state-changed:focused", &error);
  Forget(error);
  bool activate = atspi_event_listener_register(s.listener, "window:activate", &error);
  Forget(error);
  // The registry tells every program of the new listener; a call to each
  // program afterwards reaches it after that news, so when the calls are
  // answered, every program sends the events.
  if (AtspiAccessible* desktop = atspi_get_desktop(0)) {
    gint count = atspi_accessible_get_child_count(desktop, &error);
    Forget(error);
    for (gint i = 0; i < count; ++i) {
      AtspiAccessible* program = atspi_accessible_get_child_at_index(desktop, i, &error);
      Forget(error);
      if (!program) continue;
      atspi_accessible_clear_cache(program);
      g_free(atspi_accessible_get_toolkit_name(program, &error));
      Forget(error);
      g_object_unref(program);
    }
    g_object_unref(desktop);
  }
  PumpFor(50);
  return focus || activate;
}

void StopMonitoring() {
  Drop(S().current);
  RemoveListener();
}

void Pump() {
  if (!S().listener) return;
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
}

int TakeEvent() {
  State& s = S();
  Pump();
  if (s.read == s.write) return -1;
  Entry& entry = s.ring[s.read];
  s.read = (s.read + 1) % kRingSize;
  Drop(s.current);
  s.current = entry.object;
  entry.object = nullptr;
  if (!s.current) return 0;
  // Gone already? The object no longer answers.
  GError* error = nullptr;
  atspi_accessible_get_role(s.current, &error);
  if (error) {
    Forget(error);
    Drop(s.current);
    return 0;
  }
  return 1;
}

bool CaptureAt(int x, int y) {
  State& s = S();
  Drop(s.current);
  if (!Connect()) return false;
  AtspiAccessible* desktop = atspi_get_desktop(0);
  if (!desktop) return false;
  GError* error = nullptr;
  gint programs = atspi_accessible_get_child_count(desktop, &error);
  Forget(error);
  for (gint i = 0; i < programs && !s.current; ++i) {
    AtspiAccessible* program = atspi_accessible_get_child_at_index(desktop, i, &error);
    Forget(error);
    if (!program) continue;
    gint windows = atspi_accessible_get_child_count(program, &error);
    Forget(error);
    for (gint j = 0; j < windows && !s.current; ++j) {
      AtspiAccessible* window = atspi_accessible_get_child_at_index(program, j, &error);
      Forget(error);
      if (!window) continue;
      if (Showing(window) && Contains(window, x, y))
        s.current = Deepest(window, x, y);
      else
        g_object_unref(window);
    }
    g_object_unref(program);
  }
  g_object_unref(desktop);
  return s.current != nullptr;
}

bool ReadCurrent(Properties& properties) {
  properties = Properties{};
  AtspiAccessible* object = S().current;
  if (!object) return false;
  GError* error = nullptr;
  if (AtspiComponent* component = atspi_accessible_get_component_iface(object)) {
    AtspiRect* area = atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, &error);
    if (area && !error) {
      properties.has_area = true;
      properties.left = area->x;
      properties.top = area->y;
      properties.width = area->width;
      properties.height = area->height;
    }
    if (area) g_free(area);
    Forget(error);
    g_object_unref(component);
  }
  properties.name = Latin1(atspi_accessible_get_name(object, &error));
  Forget(error);
  ReadRole(object, properties);
  if (properties.role == 0) return true;
  if (AtspiStateSet* states = atspi_accessible_get_state_set(object)) {
    if (atspi_state_set_contains(states, ATSPI_STATE_CHECKED)) properties.state = "marcado";
    if (!atspi_state_set_contains(states, ATSPI_STATE_ENABLED) &&
        !atspi_state_set_contains(states, ATSPI_STATE_SENSITIVE))
      properties.state = "indispon\xEDvel";
    g_object_unref(states);
  }
  properties.value = ReadValue(object, properties.role);
  return true;
}

}  // namespace platform::accessibility
