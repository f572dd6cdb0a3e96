// Dialogs, in what scripts cannot reach: the A forms, the empty result, the
// input box closed or left by its owner, and that every result was released.
// A dialog that fails to open returns like a cancel: each case proves its
// dialog was found.
#include "alloc_counter.hpp"
#include "temp_dir.hpp"
#include "xcore.h"
#include "xdialog.h"
#include "xui.h"

#include <windows.h>

#include <fstream>
#include <functional>
#include <string>
#include <thread>

namespace {

using tarvo::test::utf8;

constexpr int kClose = 0, kCloseOwner = -1, kBoxOk = 10;

// answer_dialog.exe for one dialog of this process; found() waits for it and
// gives what it wrote ("" when the dialog never appeared).
struct Answerer {
  Answerer(const std::wstring &marker, const wchar_t *cls, const wchar_t *title, int command, std::wstring text = L"")
      : marker_(utf8(marker)) {
    DeleteFileW(marker.c_str());
    std::wstring line = L"answer_dialog.exe \"" + marker + L"\" " + cls + L" \"" + title + L"\" ";
    line += std::to_wstring(command) + (text.empty() ? L"" : L" \"" + text + L"\"");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    EXPECT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
  }
  ~Answerer() { found(); }
  std::string found() {
    if (process_) WaitForSingleObject(process_, INFINITE);
    if (process_) CloseHandle(std::exchange(process_, nullptr));
    std::string report;
    std::getline(std::ifstream(marker_), report);
    return report;
  }
  std::string marker_;
  HANDLE process_ = nullptr;
};

// A library result as wide text (ASCII in the A forms), released.
template <class C>
std::wstring take(C *p) {
  const bool empty = static_cast<const void *>(p) == xCore.EmptyString;
  std::wstring s = empty ? L"<empty>" : p ? std::wstring(p, p + std::char_traits<C>::length(p)) : L"<null>";
  xCore_free(p);
  return s;
}

class Dialogs : public tarvo::test::LeakCheckedTest {
 protected:
  tarvo::test::TempDir dir_;
};

TEST_F(Dialogs, AnsweredClosedAndCancelled) {
  CloseHandle(CreateFileW(dir_.file(L"a.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  const struct {
    const wchar_t *cls, *title;
    int command;
    const wchar_t *typed;
    std::wstring expected;
    std::function<std::wstring()> call;
  } cases[] = {
      {L"#32770", L"Open file :", IDCANCEL, L"", L"<empty>",
       [&] { return take(xOpenFileDialogW(nullptr, dir_.path().c_str(), nullptr, nullptr, 0)); }},
      {L"#32770", L"ansi", IDOK, L"a.txt", dir_.file(L"a.txt"),
       [&] { return take(xOpenFileDialogA(nullptr, utf8(dir_.path()).c_str(), nullptr, "ansi", 0)); }},
      {L"#32770", L"*", IDOK, L"", L"a face", [] {
         const LOGFONTA *font = xSelectFontDialogA(nullptr);
         return std::wstring(font && font->lfFaceName[0] ? L"a face" : L"none");
       }},
      {L"xuiWindowClassW", L"Asked", kClose, L"", L"<empty>",
       [] { return take(xInputBoxW(nullptr, L"Prompt", L"Asked", L"default", -1, -1, 0)); }},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(utf8(c.title));
    Answerer answerer(dir_.file(L"found.txt"), c.cls, c.title, c.command, c.typed);
    xCore.iRet = 99;
    const std::wstring got = c.call();
    ASSERT_NE(answerer.found(), "") << "the dialog never appeared";
    EXPECT_EQ(got, c.expected);
    EXPECT_EQ(xCore.iRet != 0, c.command == IDOK);
  }
}

TEST_F(Dialogs, InputBoxStylesItsFieldAndFollowsItsOwner) {
  Answerer answerer(dir_.file(L"found.txt"), L"xuiWindowClassW", L"narrow", kBoxOk, L"secret");
  EXPECT_EQ(take(xInputBoxA(nullptr, "Prompt", "narrow", "", 5, -1, 0x50810000 | ES_PASSWORD)), L"secret");
  long left = 0, top = 0, style = 0;
  ASSERT_EQ(std::sscanf(answerer.found().c_str(), "found %ld %ld %ld", &left, &top, &style), 3);
  EXPECT_TRUE(style & ES_PASSWORD);
  // The owner goes away: the box goes with it and ends unconfirmed.
  HWND owner = static_cast<HWND>(xuiCreatWindowW(nullptr, 0, 0, 100, 100, L"owner", WS_OVERLAPPEDWINDOW, 0, nullptr));
  Answerer closer(dir_.file(L"found.txt"), L"xuiWindowClassW", L"Owned", kCloseOwner);
  EXPECT_EQ(take(xInputBoxW(owner, L"Prompt", L"Owned", L"", -1, -1, 0)), L"<empty>");
  ASSERT_NE(closer.found(), "");
  EXPECT_EQ(xCore.iRet, 0);
  EXPECT_FALSE(IsWindow(owner));
}

// A quit the host posts while a box runs (a timer here) ends the box unanswered and still reaches the host's
// loop; an outer box answered while an inner one is open ends once the inner one is answered.
TEST_F(Dialogs, InputBoxHandsTheHostsQuitOnAndEndsOnlyItsOwnLoop) {
  SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostQuitMessage(7);
  });
  EXPECT_EQ(take(xInputBoxW(nullptr, L"Prompt", L"Quit", L"typed", -1, -1, 0)), L"<empty>");
  EXPECT_EQ(xCore.iRet, 0);
  MSG m{};
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the host's quit was lost";
  EXPECT_EQ(m.wParam, 7u);
  static std::wstring inner;
  static bool hung = false;  // the outer box's loop outlived its box; a late quit frees it
  UINT_PTR rescue = SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) {
    hung = true;
    PostQuitMessage(0);
  });
  SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
      KillTimer(nullptr, id);
      PostMessageW(FindWindowW(L"xuiWindowClassW", L"Outer"), WM_COMMAND, kBoxOk, 0);
      PostMessageW(FindWindowW(L"xuiWindowClassW", L"Inner"), WM_COMMAND, kBoxOk, 0);
    });
    inner = take(xInputBoxW(nullptr, L"Prompt", L"Inner", L"in", -1, -1, 0));
  });
  EXPECT_EQ(take(xInputBoxW(nullptr, L"Prompt", L"Outer", L"out", -1, -1, 0)), L"out");
  KillTimer(nullptr, rescue);
  EXPECT_EQ(inner, L"in");
  EXPECT_FALSE(hung);
}

// A daemon script's box and the main script's are open at once: each keeps
// its own field and answer. The second thread signals from its first
// message, once its box is built and its loop runs (or when it returned).
TEST_F(Dialogs, InputBoxesOfTwoThreadsKeepTheirOwnAnswers) {
  static HANDLE running = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ResetEvent(running);
  std::wstring second;
  std::thread other([&] {
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, [](int code, WPARAM wp, LPARAM lp) -> LRESULT {
      SetEvent(running);
      return CallNextHookEx(nullptr, code, wp, lp);
    }, nullptr, GetCurrentThreadId());
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
    second = take(xInputBoxW(nullptr, L"Prompt", L"Second", L"", -1, -1, 0));
    UnhookWindowsHookEx(hook);
    SetEvent(running);
  });
  WaitForSingleObject(running, INFINITE);
  {
    Answerer first(dir_.file(L"first.txt"), L"xuiWindowClassW", L"First", kBoxOk, L"one");
    EXPECT_EQ(take(xInputBoxW(nullptr, L"Prompt", L"First", L"", -1, -1, 0)), L"one");
  }
  Answerer(dir_.file(L"second.txt"), L"xuiWindowClassW", L"Second", kBoxOk, L"two");
  other.join();
  EXPECT_EQ(second, L"two");
}

}  // namespace
