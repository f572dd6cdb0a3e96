// The window matcher and the window operations, on windows of this test's
// own thread (whose messages can be counted) and of the window helper
// program (another process: cross-process sends, hung windows, message
// boxes).
#include "alloc_counter.hpp"
#include "child_process.hpp"
#include "window_ops.hpp"
#include "xcore.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace tarvo::window;
using tarvo::test::Child;
using tarvo::test::eventually;
using tarvo::test::helper;

// The window of that (unique) class, once its program has made it.
HWND wait_for_window(const wchar_t *cls) {
  HWND w = nullptr;
  eventually([&] { return (w = FindWindowW(cls, nullptr)) != nullptr; });
  return w;
}

int g_title_asks = 0;

LRESULT CALLBACK counting_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_GETTEXTLENGTH) ++g_title_asks;
  return DefWindowProcA(w, m, wp, lp);
}

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

class Windows : public tarvo::test::LeakCheckedTest {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = counting_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = "TarvoMatch";
    RegisterClassA(&wc);
  }
  void SetUp() override {
    LeakCheckedTest::SetUp();
    titled_ = make("Alpha Beta", kStyle, kExStyle);
    untitled_ = make("", WS_POPUP, 0);
    g_title_asks = 0;
  }
  void TearDown() override {
    for (HWND w : {titled_, untitled_}) DestroyWindow(w);
    LeakCheckedTest::TearDown();
  }
  static HWND make(const char *title, DWORD style, DWORD ex_style, HWND parent = nullptr,
                   const char *cls = "TarvoMatch") {
    return CreateWindowExA(ex_style, cls, title, style, 0, 0, 100, 100, parent, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
  }
  HWND titled_ = nullptr, untitled_ = nullptr;
};

enum Owner { kAny, kSelfProcess, kSelfThread, kStranger };
struct Row {
  uint32_t flags;
  const char *title, *cls;
  uint32_t style, ex_style;
  Owner owner;
  bool titled;  // which window
  bool expected;
};

TEST_F(Windows, MatcherTruthTable) {
  const uint32_t actual_style = static_cast<uint32_t>(GetWindowLongW(titled_, GWL_STYLE));
  const uint32_t actual_ex = static_cast<uint32_t>(GetWindowLongW(titled_, GWL_EXSTYLE));
  const Row rows[] = {
      {0, nullptr, nullptr, 0, 0, kAny, true, true},
      {kTitleEquals, "Alpha Beta", nullptr, 0, 0, kAny, true, true},
      {kTitleEquals, "Alpha", nullptr, 0, 0, kAny, true, false},
      {kTitleEquals, "alpha beta", nullptr, 0, 0, kAny, true, false},
      {kTitleEquals, "", nullptr, 0, 0, kAny, false, true},
      {kTitleEquals, nullptr, nullptr, 0, 0, kAny, false, true},
      {kTitleContains, "a Be", nullptr, 0, 0, kAny, true, true},
      {kTitleContains, "", nullptr, 0, 0, kAny, false, true},
      {kTitleContains, "x", nullptr, 0, 0, kAny, false, false},
      {kTitleDiffers, "Alpha", nullptr, 0, 0, kAny, true, true},
      {kTitleDiffers, "Alpha Beta", nullptr, 0, 0, kAny, true, false},
      {kClassEquals, nullptr, "TarvoMatch", 0, 0, kAny, true, true},
      {kClassEquals, nullptr, "tarvomatch", 0, 0, kAny, true, false},
      {kClassContains, nullptr, "voMa", 0, 0, kAny, true, true},
      {kClassContains, nullptr, "", 0, 0, kAny, true, true},
      {kClassDiffers, nullptr, "Other", 0, 0, kAny, true, true},
      {kClassDiffers, nullptr, "TarvoMatch", 0, 0, kAny, true, false},
      {kStyleHas, nullptr, nullptr, WS_VISIBLE | WS_CAPTION, 0, kAny, true, true},
      {kStyleHas, nullptr, nullptr, WS_VISIBLE | WS_DISABLED, 0, kAny, true, false},
      {kStyleLacks, nullptr, nullptr, WS_VISIBLE | WS_DISABLED, 0, kAny, true, true},
      {kStyleLacks, nullptr, nullptr, WS_VISIBLE, 0, kAny, true, false},
      {kStyleEquals, nullptr, nullptr, actual_style, 0, kAny, true, true},
      {kStyleEquals, nullptr, nullptr, WS_VISIBLE, 0, kAny, true, false},
      {kExStyleHas, nullptr, nullptr, 0, WS_EX_TOOLWINDOW, kAny, true, true},
      {kExStyleHas, nullptr, nullptr, 0, WS_EX_TOPMOST, kAny, true, false},
      {kExStyleLacks, nullptr, nullptr, 0, WS_EX_TOPMOST, kAny, true, true},
      {kExStyleEquals, nullptr, nullptr, 0, actual_ex, kAny, true, true},
      {kExStyleEquals, nullptr, nullptr, 0, 0, kAny, true, false},
      {kOwnerProcess, nullptr, nullptr, 0, 0, kSelfProcess, true, true},
      {kOwnerProcess, nullptr, nullptr, 0, 0, kStranger, true, false},
      {kOwnerThread, nullptr, nullptr, 0, 0, kSelfThread, true, true},
      {kOwnerThread, nullptr, nullptr, 0, 0, kSelfProcess, true, false},
      {kOwnerProcess | kOwnerThread, nullptr, nullptr, 0, 0, kSelfProcess, true, true},
      {kOwnerThread, nullptr, nullptr, 0, 0, kAny, true, true},  // owner 0: no test
      {kTitleEquals | kClassContains | kStyleHas, "Alpha Beta", "Match", WS_VISIBLE, 0, kSelfProcess, true, true},
  };
  for (const Row &r : rows) {
    WindowFilter f;
    f.flags = r.flags;
    f.title = r.title;
    f.cls = r.cls;
    f.style = r.style;
    f.exStyle = r.ex_style;
    f.owner = r.owner == kSelfProcess ? GetCurrentProcessId()
              : r.owner == kSelfThread ? GetCurrentThreadId()
              : r.owner == kStranger   ? 0x7FFFFFF0
                                       : 0;
    EXPECT_EQ(matches(r.titled ? titled_ : untitled_, f), r.expected)
        << std::hex << "flags 0x" << r.flags << " title " << (r.title ? r.title : "(null)");
  }
}

// Style, extended style, owner and class come before the title: a window
// failing any of them is never asked for its title.
TEST_F(Windows, EarlierTestsSpareTheTitleRead) {
  WindowFilter fail[4];
  fail[0].flags = kStyleHas, fail[0].style = WS_DISABLED;
  fail[1].flags = kExStyleHas, fail[1].exStyle = WS_EX_TOPMOST;
  fail[2].flags = kOwnerProcess, fail[2].owner = 0x7FFFFFF0;
  fail[3].flags = kClassEquals, fail[3].cls = "Other";
  for (WindowFilter &f : fail) {
    f.flags |= kTitleEquals;
    f.title = "Alpha Beta";
    EXPECT_FALSE(matches(titled_, f));
  }
  EXPECT_EQ(g_title_asks, 0);
  WindowFilter pass;
  pass.flags = kTitleEquals;
  pass.title = "Alpha Beta";
  EXPECT_TRUE(matches(titled_, pass));
  EXPECT_EQ(g_title_asks, 1);
}

TEST_F(Windows, TitlesOfAnyLengthAreReadWhole) {
  std::wstring long_title(100000, L'x');
  long_title[99999] = L'y';
  SetWindowTextW(titled_, long_title.c_str());
  wchar_t *t = title(titled_);
  EXPECT_EQ(std::wstring(t), long_title);
  xCore_free(t);
  WindowFilter f;
  f.flags = kTitleContains;
  f.title = "xxy";
  EXPECT_TRUE(matches(titled_, f));

  Child host(helper(L"window_host.exe") + L" --class TarvoLong --long-title 100000");
  HWND w = wait_for_window(L"TarvoLong");
  ASSERT_NE(w, nullptr);
  t = title(w);
  EXPECT_EQ(wcslen(t), 100000u);
  xCore_free(t);
}

TEST_F(Windows, OtherProcessesWindows) {
  Child host(helper(L"window_host.exe") + L" --class TarvoOther --title Before --popup Owned --children 2");
  HWND w = wait_for_window(L"TarvoOther");
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(is_hung(w));
  HWND popup = find_top(kTitleEquals | kOwnerProcess, "Owned", nullptr, 0, 0, host.pid());
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(root(popup), popup) << "an owned pop-up has no parent";
  EXPECT_EQ(dialog_item(w, 102), nth_by_class(w, "Button", 2));

  // Placement is asynchronous: its effect is awaited, not assumed.
  EXPECT_TRUE(move(w, 40, 50));
  EXPECT_TRUE(eventually([&] {
    RECT r;
    return GetWindowRect(w, &r) && r.left == 40 && r.top == 50;
  }));
  EXPECT_TRUE(set_size(w, 222, 111));
  EXPECT_TRUE(eventually([&] {
    RECT r;
    return GetWindowRect(w, &r) && r.right - r.left == 222 && r.bottom - r.top == 111 && r.left == 40;
  }));
  // Wine drops the topmost band of an asynchronous change for a window of
  // another process; the band itself is checked on our own window.
  EXPECT_TRUE(top_most(w, 1));
  EXPECT_TRUE(top_most(titled_, 1));
  EXPECT_TRUE(GetWindowLongW(titled_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(top_most(titled_, 0));
  EXPECT_FALSE(GetWindowLongW(titled_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(close(w), 0);
  EXPECT_EQ(host.exit_code(), 0);
}

TEST_F(Windows, HungWindowsAnswerNothingButCostLittle) {
  Child host(helper(L"window_host.exe") + L" --class TarvoHung --title Hung --hang 60000");
  HWND w = wait_for_window(L"TarvoHung");
  ASSERT_NE(w, nullptr);
  WindowFilter f;
  f.flags = kTitleEquals;
  f.title = "Hung";
  EXPECT_FALSE(matches(w, f)) << "an unanswered title reads as empty";
  f.flags = kTitleDiffers;
  EXPECT_TRUE(matches(w, f));
  EXPECT_TRUE(is_hung(w));
  wchar_t *t = title(w);
  EXPECT_EQ(*t, 0);
  xCore_free(t);
}

TEST_F(Windows, MessageBoxesAreFoundAndAnswered) {
  struct Case {
    int id1, id2;
    long expected_exit;  // the button the box reports
  };
  const Case cases[] = {{IDOK, 0, IDOK}, {0, 0, IDCANCEL}, {999, IDOK, IDOK}};
  for (const Case &c : cases) {
    Child host(helper(L"window_host.exe") + L" --msgbox TarvoBox");
    HWND box = nullptr;
    ASSERT_TRUE(eventually([&] { return (box = message_box(host.pid())) != nullptr; }));
    EXPECT_NE(dialog_item(box, 0xFFFF), nullptr);
    EXPECT_EQ(close_message_box(box, c.id1, c.id2), 0);
    EXPECT_EQ(host.exit_code(), c.expected_exit);
  }
  EXPECT_EQ(message_box(0x7FFFFFF0), nullptr);
}

}  // namespace
