// Shared pieces of the native window layer: the creators of both widths and
// the table of control kinds.
#pragma once

#include "forms.hpp"
#include "xui.h"

#include <cstdint>
#include <type_traits>

namespace tarvo::xui {

template <class C>
void *window(void *parent, int32_t x, int32_t y, int32_t w, int32_t h, const C *title, uint32_t style,
             uint32_t exstyle, xuiWindowProc proc);
template <class C>
void *control(void *parent, int32_t x, int32_t y, int32_t w, int32_t h, const C *cls, const C *text, int32_t id,
              uint32_t style, uint32_t exstyle);

// A standard control: its class in both widths and its window style.
struct ControlKind {
  const wchar_t *wide;
  const char *narrow;
  uint32_t style;

  template <class C>
  void *make(void *parent, int32_t x, int32_t y, int32_t w, int32_t h, const C *text, int32_t id) const {
    if constexpr (std::is_same_v<C, wchar_t>)
      return control<C>(parent, x, y, w, h, wide, text, id, style, 0);
    else
      return control<C>(parent, x, y, w, h, narrow, text, id, style, 0);
  }
};

inline constexpr ControlKind kLabel{L"Static", "Static", 0x50000000};
inline constexpr ControlKind kButton{L"Button", "Button", 0x50018000};
inline constexpr ControlKind kTextBox{L"Edit", "Edit", 0x50810000};
inline constexpr ControlKind kFrame{L"Static", "Static", 0x50008007};
inline constexpr ControlKind kCheckBox{L"Button", "Button", 0x50018003};
inline constexpr ControlKind kRadioBox{L"Button", "Button", 0x50018009};
inline constexpr ControlKind kListBox{L"ListBox", "ListBox", 0x50B10141};
inline constexpr ControlKind kComboBox{L"ComboBox", "ComboBox", 0x50310043};
inline constexpr ControlKind kHorizontalBar{L"ScrollBar", "ScrollBar", 0x50000000};
inline constexpr ControlKind kVerticalBar{L"ScrollBar", "ScrollBar", 0x50000001};
inline constexpr ControlKind kImageBox{L"Static", "Static", 0x5000020E};

// ANSI forms of the dialogs: texts converted (null stays null, so the
// defaults apply), the wide form run, a chosen text converted back.
template <class T>
decltype(auto) wide_or_null(T v) {
  if constexpr (std::is_same_v<T, const char *>)
    return NullableWideArg<kCodePageA>(v);
  else
    return v;
}

template <auto WFn, class... A>
char *ansi_form(A... args) {
  wchar_t *w = WFn(wide_or_null(args)...);
  return is_empty_result(w) ? empty_a() : narrow_result<kCodePageA>(w);
}

}  // namespace tarvo::xui
