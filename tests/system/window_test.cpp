// The window matcher and the window operations, on windows of this test's own thread (whose messages can be
// counted) and of the window helper program (another process: cross-process sends, hung windows, message boxes).
#include "fixture.hpp"
#include "window_ops.hpp"

namespace {

using namespace tarvo::test;
using namespace tarvo::window;

constexpr uint32_t kStranger = 0x7FFFFFF0;

// The window of that (unique) class, once its program has made it.
HWND wait_for_window(const wchar_t *cls) {
  HWND w = nullptr;
  eventually([&] { return (w = FindWindowW(cls, nullptr)) != nullptr; });
  return w;
}

std::wstring title_of(HWND w) {
  wchar_t *t = title(w);
  std::wstring r(t);
  xCore_free(t);
  return r;
}

int g_title_asks = 0;
LRESULT CALLBACK counting_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_GETTEXTLENGTH) ++g_title_asks;
  return DefWindowProcA(w, m, wp, lp);
}

WindowFilter filter(uint32_t flags, const char *text, uint32_t bits = 0, uint32_t owner = 0) {
  WindowFilter f;
  f.flags = flags;
  f.title = f.cls = text;
  f.style = f.exStyle = bits;
  f.owner = owner;
  return f;
}

class Windows : public LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    WNDCLASSA wc{};
    wc.lpfnWndProc = counting_proc;
    wc.lpszClassName = "TarvoMatch";
    RegisterClassA(&wc);
    titled_ = CreateWindowExA(WS_EX_TOOLWINDOW, "TarvoMatch", "Alpha Beta", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                              100, 100, nullptr, nullptr, nullptr, nullptr);
    untitled_ = CreateWindowExA(0, "TarvoMatch", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    g_title_asks = 0;
  }
  void TearDown() override {
    for (HWND w : {titled_, untitled_}) DestroyWindow(w);
    LeakCheckedTest::TearDown();
  }
  HWND titled_ = nullptr, untitled_ = nullptr;
};

// The filter's one text stands for the title or the class, its bits for the style or the extended style,
// whichever the flags test; texts compare case-sensitively.
TEST_F(Windows, MatcherTruthTable) {
  const uint32_t style = GetWindowLongW(titled_, GWL_STYLE), ex = GetWindowLongW(titled_, GWL_EXSTYLE);
  const DWORD process = GetCurrentProcessId(), thread = GetCurrentThreadId();
  const struct {
    uint32_t flags;
    const char *text;
    uint32_t bits, owner;
    bool untitled, expected;
  } rows[] = {
      {0, nullptr, 0, 0, false, true}, {kTitleEquals, "Alpha Beta", 0, 0, false, true},
      {kTitleEquals, "Alpha", 0, 0, false, false}, {kTitleEquals, "alpha beta", 0, 0, false, false},
      {kTitleEquals, "", 0, 0, true, true}, {kTitleEquals, nullptr, 0, 0, true, true},
      {kTitleContains, "a Be", 0, 0, false, true}, {kTitleContains, "", 0, 0, true, true},
      {kTitleContains, "x", 0, 0, true, false}, {kTitleDiffers, "Alpha", 0, 0, false, true},
      {kTitleDiffers, "Alpha Beta", 0, 0, false, false}, {kClassEquals, "TarvoMatch", 0, 0, false, true},
      {kClassEquals, "tarvomatch", 0, 0, false, false}, {kClassContains, "voMa", 0, 0, false, true},
      {kClassContains, "", 0, 0, false, true}, {kClassDiffers, "Other", 0, 0, false, true},
      {kClassDiffers, "TarvoMatch", 0, 0, false, false}, {kStyleHas, nullptr, WS_VISIBLE | WS_CAPTION, 0, false, true},
      {kStyleHas, nullptr, WS_VISIBLE | WS_DISABLED, 0, false, false},
      {kStyleLacks, nullptr, WS_VISIBLE | WS_DISABLED, 0, false, true},
      {kStyleLacks, nullptr, WS_VISIBLE, 0, false, false}, {kStyleEquals, nullptr, style, 0, false, true},
      {kStyleEquals, nullptr, WS_VISIBLE, 0, false, false}, {kExStyleHas, nullptr, WS_EX_TOOLWINDOW, 0, false, true},
      {kExStyleHas, nullptr, WS_EX_TOPMOST, 0, false, false}, {kExStyleLacks, nullptr, WS_EX_TOPMOST, 0, false, true},
      {kExStyleEquals, nullptr, ex, 0, false, true}, {kExStyleEquals, nullptr, 0, 0, false, false},
      {kOwnerProcess, nullptr, 0, process, false, true}, {kOwnerProcess, nullptr, 0, kStranger, false, false},
      {kOwnerThread, nullptr, 0, thread, false, true}, {kOwnerThread, nullptr, 0, process, false, false},
      {kOwnerProcess | kOwnerThread, nullptr, 0, process, false, true},
      {kOwnerThread, nullptr, 0, 0, false, true},  // owner 0: no test
      {kTitleContains | kClassContains | kStyleHas, "a", WS_VISIBLE, process, false, true},
  };
  for (const auto &r : rows)
    EXPECT_EQ(matches(r.untitled ? untitled_ : titled_, filter(r.flags, r.text, r.bits, r.owner)), r.expected)
        << std::hex << "flags 0x" << r.flags << " text " << (r.text ? r.text : "(null)");
}

// Style, extended style, owner and class come first: a window failing any of them is never asked for its title.
TEST_F(Windows, EarlierTestsSpareTheTitleRead) {
  for (uint32_t flags : {kStyleHas, kExStyleHas, kOwnerProcess, kClassEquals})
    EXPECT_FALSE(matches(titled_, filter(flags | kTitleEquals, "Alpha Beta", WS_DISABLED | WS_EX_TOPMOST, kStranger)));
  EXPECT_EQ(g_title_asks, 0);
  EXPECT_TRUE(matches(titled_, filter(kTitleEquals, "Alpha Beta")));
  EXPECT_EQ(g_title_asks, 1);
}

TEST_F(Windows, OtherProcessesWindows) {
  Child host(helper(L"window_host.exe"), L"--class TarvoOther --title Before --popup Owned");
  HWND w = wait_for_window(L"TarvoOther");
  ASSERT_NE(w, nullptr);
  HWND popup = nullptr;
  ASSERT_TRUE(eventually([&] { return popup = find_top(kTitleEquals | kOwnerProcess, "Owned", 0, 0, 0, host.pid()); }));
  EXPECT_EQ(root(popup), popup) << "an owned pop-up has no parent";
  // Titles of any length are read whole, here and across the process border.
  std::wstring long_title(100000, L'x');
  long_title[99999] = L'y';
  for (HWND h : {titled_, w}) {
    SetWindowTextW(h, long_title.c_str());
    EXPECT_EQ(title_of(h), long_title);
  }
  EXPECT_TRUE(matches(titled_, filter(kTitleContains, "xxy")));
  // Placement is asynchronous: its effect is awaited, not assumed.
  EXPECT_TRUE(move(w, 40, 50) && set_size(w, 222, 111));
  EXPECT_TRUE(eventually([&] {
    RECT r;
    return GetWindowRect(w, &r) && r.left == 40 && r.top == 50 && r.right - r.left == 222 && r.bottom - r.top == 111;
  }));
  // Wine drops the topmost band of an asynchronous change for a window of another process: checked on our own.
  EXPECT_TRUE(top_most(w, 1) && top_most(titled_, 1));
  EXPECT_TRUE(GetWindowLongW(titled_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(top_most(titled_, 0));
  EXPECT_FALSE(GetWindowLongW(titled_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(close(w), 0);
  EXPECT_EQ(host.exit_code(), 0);
}

TEST_F(Windows, HungWindowsAnswerNothingButCostLittle) {
  Child host(helper(L"window_host.exe"), L"--class TarvoHung --title Hung --hang 60000");
  HWND w = wait_for_window(L"TarvoHung");
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(matches(w, filter(kTitleEquals, "Hung"))) << "an unanswered title reads as empty";
  EXPECT_TRUE(matches(w, filter(kTitleDiffers, "Hung")));
  EXPECT_TRUE(is_hung(w));
  EXPECT_EQ(title_of(w), L"");
}

TEST_F(Windows, MessageBoxesAreFoundAndAnswered) {
  const struct {
    int id1, id2;
    long expected_exit;  // the button the box reports
  } cases[] = {{IDOK, 0, IDOK}, {0, 0, IDCANCEL}, {999, IDOK, IDOK}};
  for (const auto &c : cases) {
    Child host(helper(L"window_host.exe"), L"--msgbox TarvoBox");
    HWND box = nullptr;
    ASSERT_TRUE(eventually([&] { return (box = message_box(host.pid())) != nullptr; }));
    EXPECT_NE(dialog_item(box, 0xFFFF), nullptr);
    EXPECT_EQ(close_message_box(box, c.id1, c.id2), 0);
    EXPECT_EQ(host.exit_code(), c.expected_exit);
  }
  EXPECT_EQ(message_box(kStranger), nullptr);
}

}  // namespace
