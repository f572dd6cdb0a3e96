#include "window_ops.hpp"

#include "text_chars.hpp"

namespace tarvo::window {
namespace {

constexpr uint32_t kEasyFlags = kStyleHas | kClassContains | kTitleContains;
constexpr UINT kMoveFlags = SWP_ASYNCWINDOWPOS | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE;
constexpr UINT kSizeFlags = SWP_ASYNCWINDOWPOS | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE;
constexpr UINT kBandFlags = SWP_ASYNCWINDOWPOS | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE;
constexpr int kMessageBoxText = 0xFFFF;
constexpr UINT kHungTimeoutMs = 1000;

WindowFilter make_filter(uint32_t flags, const char *title, const char *cls, uint32_t style, uint32_t ex_style,
                         uint32_t owner) {
  WindowFilter f;
  f.flags = flags;
  f.title = title;
  f.cls = cls;
  f.style = style;
  f.exStyle = ex_style;
  f.owner = owner;
  return f;
}

// The matches collected into a growing array that always ends in a null
// handle; when it cannot grow, the list ends where it is.
struct Collected {
  HWND *items = nullptr;
  uint32_t capacity = 0;
};

int32_t collect(HWND window, uint32_t number, intptr_t user) {
  auto &c = *reinterpret_cast<Collected *>(user);
  if (number + 1 > c.capacity) {
    uint32_t capacity = c.capacity ? c.capacity * 2 : 16;
    auto *grown = static_cast<HWND *>(xCore.realloc(c.items, capacity * sizeof(HWND)));
    if (!grown) return 0;
    c.items = grown;
    c.capacity = capacity;
  }
  c.items[number - 1] = window;
  c.items[number] = nullptr;
  return 1;
}

// An empty list is the shared empty text, whose zero bytes read as a null
// handle.
HWND *collect_matches(WindowFilter f, HWND parent) {
  Collected c;
  f.callback = collect;
  f.user = reinterpret_cast<intptr_t>(&c);
  list(f, parent);
  return c.items ? c.items : reinterpret_cast<HWND *>(empty_a());
}

WindowFilter class_walk(const char *cls) {
  return make_filter(cls && *cls ? uint32_t{kClassContains} : 0u, nullptr, cls, 0, 0, 0);
}

// Brings the box forward, makes the control its focus and clicks it.
void click_in_box(HWND box, int32_t id) {
  HWND control = id ? GetDlgItem(box, id) : nullptr;
  if (!control) return;
  SetForegroundWindow(box);
  SendMessageA(box, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
  SendMessageA(control, BM_CLICK, 0, 0);
}

}  // namespace

HWND find_top(uint32_t flags, const char *title, const char *cls, uint32_t style, uint32_t ex_style, uint32_t owner) {
  WindowFilter f = make_filter(flags, title, cls, style, ex_style, owner);
  return find(f);
}

// Descendants are never filtered by owner: they share their root's.
HWND find_child(HWND parent, uint32_t flags, const char *title, const char *cls, uint32_t style, uint32_t ex_style) {
  if (!parent) return nullptr;
  WindowFilter f = make_filter(flags, title, cls, style, ex_style, 0);
  return find(f, parent);
}

HWND easy_find(const char *title, const char *cls) { return find_top(kEasyFlags, title, cls, WS_VISIBLE, 0, 0); }
HWND easy_find_child(HWND parent, const char *title, const char *cls) {
  return find_child(parent, kEasyFlags, title, cls, WS_VISIBLE, 0);
}

HWND *list_top(uint32_t flags, const char *title, const char *cls, uint32_t style, uint32_t ex_style,
               uint32_t owner) {
  return collect_matches(make_filter(flags, title, cls, style, ex_style, owner), nullptr);
}

HWND *list_child(HWND parent, uint32_t flags, const char *title, const char *cls, uint32_t style,
                 uint32_t ex_style) {
  if (!parent) return reinterpret_cast<HWND *>(empty_a());
  return collect_matches(make_filter(flags, title, cls, style, ex_style, 0), parent);
}

HWND nth_by_class(HWND parent, const char *cls, int64_t n) {
  if (!parent || n <= 0 || n > UINT32_MAX) return nullptr;
  struct Wanted {
    uint32_t n;
    HWND found;
  } wanted{static_cast<uint32_t>(n), nullptr};
  WindowFilter f = class_walk(cls);
  f.user = reinterpret_cast<intptr_t>(&wanted);
  f.callback = [](HWND w, uint32_t number, intptr_t user) -> int32_t {
    auto &x = *reinterpret_cast<Wanted *>(user);
    if (number != x.n) return 1;
    x.found = w;
    return 0;
  };
  list(f, parent);
  return wanted.found;
}

uint32_t position_by_class(HWND parent, const char *cls, HWND window) {
  if (!parent) return 0;
  WindowFilter f = class_walk(cls);
  f.user = reinterpret_cast<intptr_t>(window);
  f.callback = [](HWND w, uint32_t, intptr_t user) -> int32_t { return w != reinterpret_cast<HWND>(user); };
  return list(f, parent);
}

wchar_t *title(HWND window) {
  if (!IsWindow(window)) return empty_w();
  Title t(window);
  return text::copy_units(t.text(), t.size());
}

wchar_t *class_name(HWND window) {
  wchar_t name[260];
  int n = IsWindow(window) ? GetClassNameW(window, name, 260) : 0;
  return text::copy_units(name, n > 0 ? static_cast<size_t>(n) : 0);
}

bool is_hung(HWND window) {
  DWORD_PTR ignored;
  return IsWindow(window) &&
         !SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kHungTimeoutMs, &ignored);
}

// Parents only: an owned pop-up is its own root.
HWND root(HWND window) { return IsWindow(window) ? GetAncestor(window, GA_ROOT) : nullptr; }

uint32_t process_id(HWND window) {
  DWORD pid = 0;
  return IsWindow(window) && GetWindowThreadProcessId(window, &pid) ? pid : 0;
}
uint32_t thread_id(HWND window) { return IsWindow(window) ? GetWindowThreadProcessId(window, nullptr) : 0; }

// A handle that is not a window is never sent anything: the broadcast
// handle among such numbers would reach every top-level window.
intptr_t send(HWND window, uint32_t message, WPARAM wparam, LPARAM lparam) {
  return IsWindow(window) ? SendMessageA(window, message, wparam, lparam) : 0;
}
bool post(HWND window, uint32_t message, WPARAM wparam, LPARAM lparam) {
  return IsWindow(window) && PostMessageA(window, message, wparam, lparam);
}
intptr_t close(HWND window) { return send(window, WM_CLOSE, 0, 0); }
intptr_t click(HWND window) { return send(window, BM_CLICK, 0, 0); }

bool set_size(HWND window, int32_t width, int32_t height) {
  return IsWindow(window) && SetWindowPos(window, nullptr, 0, 0, width, height, kSizeFlags);
}
bool move(HWND window, int32_t x, int32_t y) {
  return IsWindow(window) && SetWindowPos(window, nullptr, x, y, 0, 0, kMoveFlags);
}
bool top_most(HWND window, int32_t on) {
  return IsWindow(window) && SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, kBandFlags);
}

HWND message_box(uint32_t pid) {
  WindowFilter f = make_filter(kStyleHas | kClassEquals | kOwnerProcess, nullptr, "#32770", WS_VISIBLE, 0, pid);
  f.callback = [](HWND w, uint32_t, intptr_t user) -> int32_t {
    if (!GetDlgItem(w, kMessageBoxText)) return 1;
    *reinterpret_cast<HWND *>(user) = w;
    return 0;
  };
  HWND box = nullptr;
  f.user = reinterpret_cast<intptr_t>(&box);
  list(f);
  return box;
}

HWND dialog_item(HWND window, int32_t id) { return IsWindow(window) ? GetDlgItem(window, id) : nullptr; }

int32_t close_message_box(HWND box, int32_t id1, int32_t id2) {
  if (!IsWindow(box)) return 0;
  click_in_box(box, id1);
  click_in_box(box, id2);
  click_in_box(box, IDCANCEL);
  SendMessageA(box, WM_CLOSE, 0, 0);
  return 0;
}

}  // namespace tarvo::window
