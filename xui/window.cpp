// The native window layer: two window classes (one per character width), the
// shared font, the window and control creators and the message loop.
#include "lifecycle.hpp"
#include "xui.h"
#include "xui_internal.hpp"

#include <windows.h>

#include <type_traits>

namespace tarvo::xui {
namespace {

HFONT g_font = nullptr;
bool g_initialised = false;

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

template <class C>
inline constexpr bool kWide = std::is_same_v<C, wchar_t>;

template <class C>
const C *class_name() {
  if constexpr (kWide<C>)
    return L"xuiWindowClassW";
  else
    return "xuiWindowClassA";
}

template <class C>
LRESULT default_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if constexpr (kWide<C>)
    return DefWindowProcW(hwnd, msg, wp, lp);
  else
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// The caller's procedure sees the message first; default handling always
// follows and its whole result goes back (a handle or a negative code keeps
// every bit). Until the creator has stored the procedure the slot is empty
// and only default handling runs.
template <class C>
LRESULT CALLBACK layer_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CREATE) {
    if (HDC dc = GetDC(hwnd)) {
      SelectObject(dc, g_font);
      ReleaseDC(hwnd, dc);
    }
  }
  if (auto proc = reinterpret_cast<xuiWindowProc>(GetWindowLongPtrW(hwnd, 0)))
    proc(hwnd, msg, wp, static_cast<intptr_t>(lp));
  return default_proc<C>(hwnd, msg, wp, lp);
}

template <class C>
bool register_class(int32_t extra_window, int32_t extra_class) {
  using Class = std::conditional_t<kWide<C>, WNDCLASSEXW, WNDCLASSEXA>;
  Class wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = layer_proc<C>;
  wc.cbClsExtra = extra_class;
  wc.cbWndExtra = extra_window + 16;
  wc.hInstance = instance();
  wc.hIcon = wc.hIconSm = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = class_name<C>();
  if constexpr (kWide<C>)
    return RegisterClassExW(&wc) != 0;
  else
    return RegisterClassExA(&wc) != 0;
}

template <class C>
HWND create(DWORD exstyle, const C *cls, const C *text, DWORD style, int x, int y, int w, int h, HWND parent) {
  if constexpr (kWide<C>)
    return CreateWindowExW(exstyle, cls, text, style, x, y, w, h, parent, nullptr, instance(), nullptr);
  else
    return CreateWindowExA(exstyle, cls, text, style, x, y, w, h, parent, nullptr, instance(), nullptr);
}

// The core initialisation brings the layer up once and takes it down at
// unload.
void init_once() {
  if (!g_initialised) xuiInit(0, 0);
}
void unit_if_initialised() {
  if (g_initialised) xuiUnit();
}
[[maybe_unused]] const bool g_hooked = add_init_hook(init_once) && add_unit_hook(unit_if_initialised);

}  // namespace

template <class C>
void *window(void *parent, int32_t x, int32_t y, int32_t w, int32_t h, const C *title, uint32_t style,
             uint32_t exstyle, xuiWindowProc proc) {
  HWND hwnd = create<C>(exstyle, class_name<C>(), title, style, x, y, w, h, static_cast<HWND>(parent));
  if (!hwnd) return nullptr;
  SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(proc));
  SendMessageW(hwnd, XUI_INIT_MESSAGE, 0, 0);
  return hwnd;
}

template <class C>
void *control(void *parent, int32_t x, int32_t y, int32_t w, int32_t h, const C *cls, const C *text, int32_t id,
              uint32_t style, uint32_t exstyle) {
  HWND hwnd = create<C>(exstyle, cls, text, style, x, y, w, h, static_cast<HWND>(parent));
  if (!hwnd) return nullptr;
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), 0);
  if (id != 0) SetWindowLongPtrW(hwnd, GWLP_ID, id);
  return hwnd;
}

template void *window<wchar_t>(void *, int32_t, int32_t, int32_t, int32_t, const wchar_t *, uint32_t, uint32_t,
                               xuiWindowProc);
template void *window<char>(void *, int32_t, int32_t, int32_t, int32_t, const char *, uint32_t, uint32_t,
                            xuiWindowProc);
template void *control<wchar_t>(void *, int32_t, int32_t, int32_t, int32_t, const wchar_t *, const wchar_t *, int32_t,
                                uint32_t, uint32_t);
template void *control<char>(void *, int32_t, int32_t, int32_t, int32_t, const char *, const char *, int32_t,
                             uint32_t, uint32_t);

}  // namespace tarvo::xui

using namespace tarvo::xui;

extern "C" {

int32_t xuiInit(int32_t extra_window, int32_t extra_class) {
  // A second call keeps the font it made the first time.
  if (!g_font)
    g_font = CreateFontW(12, 6, 0, 0, 12, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, L"\u5b8b\u4f53");
  bool wide = register_class<wchar_t>(extra_window, extra_class);
  bool narrow = register_class<char>(extra_window, extra_class);
  g_initialised = true;
  return wide && narrow ? 1 : 0;
}

void xuiUnit(void) {
  xuiSetFont(nullptr);
  UnregisterClassW(class_name<wchar_t>(), instance());
  UnregisterClassA(class_name<char>(), instance());
  g_initialised = false;
}

void xuiSetFont(void *font) {
  if (font == g_font) return;
  if (g_font) DeleteObject(g_font);
  g_font = static_cast<HFONT>(font);
}

// Ends at the quit message, or when getting a message fails (-1) instead of
// spinning on the failure.
int32_t xuiStart(void) {
  MSG m;
  BOOL r;
  while ((r = GetMessageA(&m, nullptr, 0, 0)) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return r;
}

void xuiStop(void) { PostQuitMessage(0); }

void *xuiCreatWindowW(void *parent, int32_t x, int32_t y, int32_t w, int32_t h, const wchar_t *title, uint32_t style,
                      uint32_t exstyle, xuiWindowProc proc) {
  return window(parent, x, y, w, h, title, style, exstyle, proc);
}

void *xuiCreatWindowA(void *parent, int32_t x, int32_t y, int32_t w, int32_t h, const char *title, uint32_t style,
                      uint32_t exstyle, xuiWindowProc proc) {
  return window(parent, x, y, w, h, title, style, exstyle, proc);
}

void *xuiCraetControlW(void *parent, int32_t x, int32_t y, int32_t w, int32_t h, const wchar_t *cls,
                       const wchar_t *text, int32_t id, uint32_t style, uint32_t exstyle) {
  return control(parent, x, y, w, h, cls, text, id, style, exstyle);
}

void *xuiCraetControlA(void *parent, int32_t x, int32_t y, int32_t w, int32_t h, const char *cls, const char *text,
                       int32_t id, uint32_t style, uint32_t exstyle) {
  return control(parent, x, y, w, h, cls, text, id, style, exstyle);
}

// The control creators: a class and a style each, both widths.
#define XUI_TEXT_CONTROL(name, kind)                                                                         \
  void *xuiCreat##name##W(void *p, int32_t x, int32_t y, int32_t w, int32_t h, const wchar_t *t, int32_t id) { \
    return kind.make(p, x, y, w, h, t, id);                                                                  \
  }                                                                                                          \
  void *xuiCreat##name##A(void *p, int32_t x, int32_t y, int32_t w, int32_t h, const char *t, int32_t id) {    \
    return kind.make(p, x, y, w, h, t, id);                                                                  \
  }
#define XUI_PLAIN_CONTROL(name, kind)                                                        \
  void *xuiCreat##name##W(void *p, int32_t x, int32_t y, int32_t w, int32_t h, int32_t id) { \
    return kind.make<wchar_t>(p, x, y, w, h, nullptr, id);                                   \
  }                                                                                          \
  void *xuiCreat##name##A(void *p, int32_t x, int32_t y, int32_t w, int32_t h, int32_t id) { \
    return kind.make<char>(p, x, y, w, h, nullptr, id);                                      \
  }

XUI_TEXT_CONTROL(Label, kLabel)
XUI_TEXT_CONTROL(Button, kButton)
XUI_TEXT_CONTROL(TextBox, kTextBox)
XUI_TEXT_CONTROL(Frame, kFrame)
XUI_TEXT_CONTROL(CheckBox, kCheckBox)
XUI_TEXT_CONTROL(RadioBox, kRadioBox)
XUI_PLAIN_CONTROL(ListBox, kListBox)
XUI_PLAIN_CONTROL(ComboBox, kComboBox)
XUI_PLAIN_CONTROL(ImageBox, kImageBox)

void *xuiCreatScrollBarW(void *p, int32_t x, int32_t y, int32_t w, int32_t h, int32_t horizontal, int32_t id) {
  return (horizontal ? kHorizontalBar : kVerticalBar).make<wchar_t>(p, x, y, w, h, nullptr, id);
}

void *xuiCreatScrollBarA(void *p, int32_t x, int32_t y, int32_t w, int32_t h, int32_t horizontal, int32_t id) {
  return (horizontal ? kHorizontalBar : kVerticalBar).make<char>(p, x, y, w, h, nullptr, id);
}

}  // extern "C"
