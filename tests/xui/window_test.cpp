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
  explicit Window(xuiWindowProc proc = recorder)
      : hwnd(static_cast<HWND>(xuiCreatWindowW(nullptr, 10, 10, 300, 200, L"layer", WS_OVERLAPPEDWINDOW, 0, proc))) {}
  ~Window() { DestroyWindow(hwnd); }
};

HFONT font_of(void *control) {
  return reinterpret_cast<HFONT>(SendMessageW(static_cast<HWND>(control), WM_GETFONT, 0, 0));
}

TEST(NativeWindow, TheProcedureSeesTheInitMessageFirstAndDefaultResultsComeBackWhole) {
  g_seen.clear();
  Window w;
  ASSERT_NE(w.hwnd, nullptr);
  EXPECT_EQ(g_seen.empty() ? 0u : g_seen[0], XUI_INIT_MESSAGE) << "creation messages reach default handling only";
  EXPECT_EQ(std::count(g_seen.begin(), g_seen.end(), XUI_INIT_MESSAGE), 1);
  EXPECT_EQ(SendMessageW(w.hwnd, WM_USER + 5, 0, 0), 0) << "the procedure's own result is ignored";
  for (LONG_PTR value : {LONG_PTR{-5}, LONG_PTR{0x123456789}, LONG_PTR{0}}) {
    SendMessageW(w.hwnd, WM_SETICON, ICON_BIG, value);
    EXPECT_EQ(SendMessageW(w.hwnd, WM_GETICON, ICON_BIG, 0), value) << "sign and high bits kept";
  }
  PostMessageW(w.hwnd, WM_APP, 0, 0);
  EXPECT_EQ(xuiStart(), 0) << "stopped from the procedure";
  EXPECT_EQ(std::count(g_seen.begin(), g_seen.end(), static_cast<UINT>(WM_APP)), 1);
  HWND ansi = static_cast<HWND>(xuiCreatWindowA(nullptr, 0, 0, 50, 50, "layer", WS_OVERLAPPEDWINDOW, 0, recorder));
  EXPECT_FALSE(IsWindowUnicode(ansi));
  DestroyWindow(ansi);
  Window bare(nullptr);
  EXPECT_EQ(SendMessageW(bare.hwnd, XUI_INIT_MESSAGE, 0, 0), 0) << "no procedure: default handling alone";
}

TEST(NativeWindow, ControlsGetClassStyleIdAndTheLayerFont) {
  Window parent;
  const HWND p = parent.hwnd;
  // Not checked: an edit's border (the platform makes it an edge), the scroll
  // bars of lists (they come and go with the content), the font of frames,
  // pictures and scroll bars (they keep none).
  const struct {
    const char *cls;
    LONG style;
    bool font;
    void *w, *a;
  } kinds[] = {
      {"Static", 0x50000000, 1, xuiCreatLabelW(p, 0, 0, 9, 9, L"t", 77), xuiCreatLabelA(p, 0, 0, 9, 9, "t", 77)},
      {"Button", 0x50018000, 1, xuiCreatButtonW(p, 0, 0, 9, 9, L"t", 77), xuiCreatButtonA(p, 0, 0, 9, 9, "t", 77)},
      {"Edit", 0x50010000, 1, xuiCreatTextBoxW(p, 0, 0, 9, 9, L"t", 77), xuiCreatTextBoxA(p, 0, 0, 9, 9, "t", 77)},
      {"Static", 0x50008007, 0, xuiCreatFrameW(p, 0, 0, 9, 9, L"t", 77), xuiCreatFrameA(p, 0, 0, 9, 9, "t", 77)},
      {"Button", 0x50018003, 1, xuiCreatCheckBoxW(p, 0, 0, 9, 9, L"t", 77), xuiCreatCheckBoxA(p, 0, 0, 9, 9, "t", 77)},
      {"Button", 0x50018009, 1, xuiCreatRadioBoxW(p, 0, 0, 9, 9, L"t", 77), xuiCreatRadioBoxA(p, 0, 0, 9, 9, "t", 77)},
      {"ListBox", 0x50810141, 1, xuiCreatListBoxW(p, 0, 0, 9, 9, 77), xuiCreatListBoxA(p, 0, 0, 9, 9, 77)},
      {"ComboBox", 0x50010043, 1, xuiCreatComboBoxW(p, 0, 0, 9, 9, 77), xuiCreatComboBoxA(p, 0, 0, 9, 9, 77)},
      {"Static", 0x5000020E, 0, xuiCreatImageBoxW(p, 0, 0, 9, 9, 77), xuiCreatImageBoxA(p, 0, 0, 9, 9, 77)},
      {"ScrollBar", 0x50000000, 0, xuiCreatScrollBarW(p, 0, 0, 9, 9, 1, 77), xuiCreatScrollBarA(p, 0, 0, 9, 9, 1, 77)},
      {"ScrollBar", 0x50000001, 0, xuiCreatScrollBarW(p, 0, 0, 9, 9, 0, 77), xuiCreatScrollBarA(p, 0, 0, 9, 9, 0, 77)},
  };
  const HFONT layer = font_of(kinds[0].w);
  EXPECT_NE(layer, nullptr);
  for (const auto &k : kinds) {
    for (void *made : {k.w, k.a}) {
      SCOPED_TRACE(k.cls);
      const HWND c = static_cast<HWND>(made);
      ASSERT_NE(c, nullptr);
      char cls[32] = {};
      GetClassNameA(c, cls, 32);
      EXPECT_EQ(_stricmp(cls, k.cls), 0);
      EXPECT_EQ(GetWindowLongW(c, GWL_STYLE) & k.style, k.style);
      EXPECT_EQ(GetDlgCtrlID(c), 77);
      EXPECT_TRUE(!k.font || font_of(c) == layer);
    }
  }
  EXPECT_EQ(xuiCraetControlW(p, 0, 0, 1, 1, L"NoSuchClass", L"", 5, WS_CHILD, 0), nullptr);
}

TEST(NativeWindow, TheLayerFontIsDeletedOnlyWhenReplaced) {
  Window parent;
  auto current = [&] { return font_of(xuiCreatLabelW(parent.hwnd, 0, 0, 5, 5, L"", 0)); };
  const HFONT first = current();
  ASSERT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT));
  xuiSetFont(first);
  EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT)) << "setting the current font keeps it";
  EXPECT_EQ(xuiInit(0, 0), 0) << "the classes exist already";
  EXPECT_EQ(current(), first) << "a second init keeps the font it made";
  const HFONT other = CreateFontW(20, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial");
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
