// The native window layer: the init message, the procedure slot, controls
// with their classes, styles, ids and font, the loop and the font's owner.
#include "xui.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<UINT> g_seen;

intptr_t __stdcall recorder(void *hwnd, uint32_t msg, uintptr_t wp, intptr_t lp) {
  g_seen.push_back(msg);
  if (msg == WM_APP) xuiStop();
  return 12345;  // ignored: default handling decides
}

struct Window {
  HWND hwnd;
  explicit Window(xuiWindowProc proc = recorder, bool wide = true)
      : hwnd(static_cast<HWND>(wide ? xuiCreatWindowW(nullptr, 10, 10, 300, 200, L"layer", WS_OVERLAPPEDWINDOW, 0, proc)
                                    : xuiCreatWindowA(nullptr, 10, 10, 300, 200, "layer", WS_OVERLAPPEDWINDOW, 0, proc))) {}
  ~Window() { DestroyWindow(hwnd); }
};

HFONT font_of(HWND control) { return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)); }

TEST(NativeWindow, TheProcedureSeesTheInitMessageFirstAndOnce) {
  g_seen.clear();
  Window w;
  ASSERT_NE(w.hwnd, nullptr);
  ASSERT_FALSE(g_seen.empty());
  EXPECT_EQ(g_seen.front(), XUI_INIT_MESSAGE) << "creation messages reach default handling only";
  EXPECT_EQ(std::count(g_seen.begin(), g_seen.end(), XUI_INIT_MESSAGE), 1);
  EXPECT_EQ(SendMessageW(w.hwnd, WM_USER + 5, 0, 0), 0) << "the procedure's own result is ignored";
  Window ansi(recorder, false);
  EXPECT_FALSE(IsWindowUnicode(ansi.hwnd));
  char title[16] = {};
  GetWindowTextA(ansi.hwnd, title, sizeof title);
  EXPECT_STREQ(title, "layer");
  Window bare(nullptr);
  EXPECT_NE(bare.hwnd, nullptr);
  EXPECT_EQ(SendMessageW(bare.hwnd, XUI_INIT_MESSAGE, 0, 0), 0) << "no procedure: default handling alone";
}

TEST(NativeWindow, DefaultResultsComeBackWhole) {
  Window w;
  for (LONG_PTR value : {LONG_PTR{-5}, LONG_PTR{0x123456789}}) {
    SendMessageW(w.hwnd, WM_SETICON, ICON_BIG, value);
    EXPECT_EQ(SendMessageW(w.hwnd, WM_GETICON, ICON_BIG, 0), value) << "sign and high bits kept";
  }
  SendMessageW(w.hwnd, WM_SETICON, ICON_BIG, 0);
}

using Make = void *(*)(HWND parent, int32_t id);
using Makers = std::pair<Make, Make>;

template <auto W, auto A>
Makers text() {
  return {[](HWND p, int32_t id) { return W(p, 0, 0, 50, 20, L"t", id); },
          [](HWND p, int32_t id) { return A(p, 0, 0, 50, 20, "t", id); }};
}
template <auto W, auto A>
Makers plain() {
  return {[](HWND p, int32_t id) { return W(p, 0, 0, 50, 20, id); },
          [](HWND p, int32_t id) { return A(p, 0, 0, 50, 20, id); }};
}
template <int32_t Horizontal>
Makers bar() {
  return {[](HWND p, int32_t id) { return xuiCreatScrollBarW(p, 0, 0, 50, 20, Horizontal, id); },
          [](HWND p, int32_t id) { return xuiCreatScrollBarA(p, 0, 0, 50, 20, Horizontal, id); }};
}

TEST(NativeWindow, ControlsGetClassStyleIdAndTheLayerFont) {
  Window parent;
  // The platform turns an edit's border into an edge and lets scroll bars
  // of lists come and go with their content; frames, pictures and scroll
  // bars keep no font.
  struct Kind {
    const wchar_t *cls;
    LONG style;
    bool font;
    Makers make;
  } kinds[] = {
      {L"Static", 0x50000000, true, text<xuiCreatLabelW, xuiCreatLabelA>()},
      {L"Button", 0x50018000, true, text<xuiCreatButtonW, xuiCreatButtonA>()},
      {L"Edit", 0x50810000 & ~WS_BORDER, true, text<xuiCreatTextBoxW, xuiCreatTextBoxA>()},
      {L"Static", 0x50008007, false, text<xuiCreatFrameW, xuiCreatFrameA>()},
      {L"Button", 0x50018003, true, text<xuiCreatCheckBoxW, xuiCreatCheckBoxA>()},
      {L"Button", 0x50018009, true, text<xuiCreatRadioBoxW, xuiCreatRadioBoxA>()},
      {L"ListBox", 0x50B10141 & ~(WS_VSCROLL | WS_HSCROLL), true, plain<xuiCreatListBoxW, xuiCreatListBoxA>()},
      {L"ComboBox", 0x50310043 & ~(WS_VSCROLL | WS_HSCROLL), true, plain<xuiCreatComboBoxW, xuiCreatComboBoxA>()},
      {L"Static", 0x5000020E, false, plain<xuiCreatImageBoxW, xuiCreatImageBoxA>()},
      {L"ScrollBar", 0x50000000, false, bar<1>()},
      {L"ScrollBar", 0x50000001, false, bar<0>()},
  };
  HFONT layer = nullptr;
  for (const Kind &k : kinds) {
    for (const auto &make : {k.make.first, k.make.second}) {
      for (int32_t id : {0, 77}) {
        auto c = static_cast<HWND>(make(parent.hwnd, id));
        ASSERT_NE(c, nullptr) << k.cls;
        wchar_t cls[32] = {};
        GetClassNameW(c, cls, 32);
        EXPECT_EQ(_wcsicmp(cls, k.cls), 0) << k.cls;
        EXPECT_EQ(GetWindowLongW(c, GWL_STYLE) & k.style, k.style) << k.cls;
        EXPECT_EQ(GetDlgCtrlID(c), id) << k.cls;
        if (!layer) layer = font_of(c);
        if (k.font) {
          EXPECT_EQ(font_of(c), layer) << k.cls;
        }
        DestroyWindow(c);
      }
    }
  }
  EXPECT_NE(layer, nullptr);
  EXPECT_EQ(xuiCraetControlW(parent.hwnd, 0, 0, 1, 1, L"NoSuchClass", L"", 5, WS_CHILD, 0), nullptr);
}

TEST(NativeWindow, StopFromAProcedureEndsTheLoop) {
  Window w;
  g_seen.clear();
  PostMessageW(w.hwnd, WM_APP, 0, 0);
  EXPECT_EQ(xuiStart(), 0);
  EXPECT_NE(std::find(g_seen.begin(), g_seen.end(), WM_APP), g_seen.end());
}

TEST(NativeWindow, TheLayerFontIsDeletedOnlyWhenReplaced) {
  Window parent;
  auto current = [&] {
    HWND c = static_cast<HWND>(xuiCreatLabelW(parent.hwnd, 0, 0, 5, 5, L"", 0));
    HFONT f = font_of(c);
    DestroyWindow(c);
    return f;
  };
  HFONT first = current();
  ASSERT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT));
  xuiSetFont(first);
  EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT)) << "setting the current font keeps it";
  EXPECT_EQ(xuiInit(0, 0), 0) << "the classes exist already";
  EXPECT_EQ(current(), first) << "a second init keeps the font it made";
  HFONT other = CreateFontW(20, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial");
  xuiSetFont(other);
  EXPECT_EQ(GetObjectType(first), 0u) << "the replaced font is deleted";
  EXPECT_EQ(current(), other);
  xuiSetFont(nullptr);
  EXPECT_EQ(GetObjectType(other), 0u);
  EXPECT_EQ(current(), nullptr) << "no layer font: the system font";
}

TEST(NativeWindow, UnitUnregistersAndInitRegistersAgain) {
  xuiUnit();
  EXPECT_EQ(xuiCreatWindowW(nullptr, 0, 0, 10, 10, L"", 0, 0, recorder), nullptr);
  EXPECT_EQ(xuiInit(8, 4), 1);
  Window w;
  ASSERT_NE(w.hwnd, nullptr);
  EXPECT_EQ(GetClassLongPtrW(w.hwnd, GCL_CBWNDEXTRA), 24);
  EXPECT_EQ(GetClassLongPtrW(w.hwnd, GCL_CBCLSEXTRA), 4);
  EXPECT_EQ(GetClassLongPtrW(w.hwnd, GCL_STYLE), CS_HREDRAW | CS_VREDRAW);
}

}  // namespace
