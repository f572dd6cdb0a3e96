// The watcher pass: the crash prompt, the pop-up rules and their negatives,
// browsers that vanished or idled, with the exact log texts.
#include "standin.hpp"

#include <gtest/gtest.h>

#include <cstdio>

namespace tarvo::test {
namespace {

Lines g_logs;
void collect(const char *text) { g_logs.push_back(text); }

// The watcher's line: a GBK format filled with window numbers (their low 32 bits) and texts.
template <class... Args>
std::string logged(const wchar_t *format, Args... args) {
  char text[512];
  std::snprintf(text, sizeof text, gbk(format).c_str(), args...);
  return text;
}
int low32(HWND w) { return static_cast<int>(reinterpret_cast<intptr_t>(w)); }
HWND window(const char *cls, const std::string &title) { return FindWindowA(cls, title.c_str()); }
Lines sorted(Lines l) {
  std::sort(l.begin(), l.end());
  return l;
}

class SurfpodWatcher : public SurfpodTest {
 protected:
  Lines pass(int idle) {
    g_logs.clear();
    Surfpod_DeamonProc(idle, collect);
    return g_logs;
  }
  Lines popups() {
    Lines events;
    for (std::string &line : folder_.take_journal())
      if (line.rfind("popup ", 0) == 0) events.push_back(line);
    return sorted(events);
  }
};

TEST_F(SurfpodWatcher, ClosesOrAnswersEveryKnownPopupAndLeavesTheRest) {
  SurfpodInstance *h = start();
  ASSERT_NE(h, nullptr);
  const std::string alert = gbk(L"来自网页的消息"), error = gbk(L"脚本错误"), hang = gbk(L"Web 浏览器");
  control(h, "popup\talert\thello there");
  control(h, "popup\tscripterror\tline 3");
  control(h, "popup\thtmldialog\tpage dialog");
  control(h, "popup\thang");
  HWND a = window("#32770", alert), e = window("#32770", error), g = window("#32770", hang),
       d = window("Internet Explorer_TridentDlgFrame", "page dialog");
  ASSERT_TRUE(a && e && d && g);
  folder_.take_journal();
  EXPECT_EQ(sorted(pass(0)), sorted({logged(L"【Surfpod守护线程】发现网页 Alert 弹窗：%d (%s)", low32(a), "hello there"),
                                     logged(L"【Surfpod守护线程】发现脚本错误弹窗：%d", low32(e)),
                                     logged(L"【Surfpod守护线程】发现网页自定义弹窗：%d", low32(d)),
                                     logged(L"【Surfpod守护线程】监控到脚本卡死窗口出现：%d (%d)", low32(g),
                                            low32(GetDlgItem(g, 6)))}));
  EXPECT_EQ(popups(), (Lines{"popup clicked hang 6", "popup closed alert", "popup closed htmldialog",
                             "popup closed scripterror"}));
  EXPECT_EQ(h->LogCallback, collect);
  EXPECT_EQ(Surfpod_IsRunning(h), 1) << "the browser itself is left alone";

  // Near misses: a hang question without its Yes button, an alert without a
  // second static text (logged with an empty message), titles that only
  // resemble the known ones, and no callback at all.
  control(h, "popup\thang-noyes");
  control(h, "popup\tdialog\t" + error + " ");
  control(h, "popup\talert-onestatic\tonly one");
  HWND lone = window("#32770", alert);
  folder_.take_journal();
  EXPECT_EQ(pass(0), Lines{logged(L"【Surfpod守护线程】发现网页 Alert 弹窗：%d (%s)", low32(lone), "")});
  EXPECT_EQ(popups(), Lines{"popup closed alert"});
  EXPECT_NE(window("#32770", hang), nullptr);
  EXPECT_NE(window("#32770", error + " "), nullptr);
  control(h, "popup\tscripterror\t");
  Surfpod_DeamonProc(0, nullptr);
  EXPECT_EQ(popups(), Lines{"popup closed scripterror"});
}

TEST_F(SurfpodWatcher, ClicksTheCrashPromptAway) {
  SurfpodInstance *h = start();
  ASSERT_NE(h, nullptr);
  HWND main = static_cast<HWND>(h->hWndMain);
  DWORD pid = h->dwProcessId;
  ASSERT_EQ(Surfpod_Release(h), 1);  // the prompt is found on the whole desktop, held or not
  control(main, "popup\tcrash-nobutton");
  EXPECT_EQ(pass(0), Lines{}) << "a prompt without its button is left alone";
  HWND prompt = window("#32770", gbk(L"Nivra外置浏览器"));
  ASSERT_NE(prompt, nullptr);
  SendMessageA(prompt, WM_CLOSE, 0, 0);
  control(main, "popup\tcrash");
  prompt = window("#32770", gbk(L"Nivra外置浏览器"));
  ASSERT_NE(prompt, nullptr);
  HWND button = FindWindowExA(prompt, nullptr, "Button", nullptr);
  EXPECT_EQ(pass(0), Lines{logged(L"【Surfpod守护线程】监控到浏览器崩溃提示窗口出现：%d (%d)", low32(prompt), low32(button))});
  EXPECT_TRUE(process_ends(pid)) << "the button ends the program";
}

TEST_F(SurfpodWatcher, ReleasesAVanishedBrowserOnceAndForceClosesOnlyBrowsersIdleTooLong) {
  SurfpodInstance *gone = start(), *a = start(), *b = start();
  ASSERT_TRUE(gone && a && b);
  HWND main_gone = static_cast<HWND>(gone->hWndMain), main_a = static_cast<HWND>(a->hWndMain);
  DWORD pid_gone = gone->dwProcessId, pid_a = a->dwProcessId;
  gone->LastActive -= 1000;
  a->LastActive -= 1000;
  EXPECT_EQ(pass(0), Lines{}) << "limit 0: never";
  EXPECT_EQ(pass(-5), Lines{}) << "a negative limit: never";
  control(gone, "quit");
  ASSERT_TRUE(process_ends(pid_gone));
  a->LastActive = GetTickCount() * 0.001 - 31;
  b->LastActive = GetTickCount() * 0.001 - 29;
  EXPECT_EQ(pass(30), (Lines{logged(L"【Surfpod守护线程】检测到外置浏览器 %d (%d) 没有被正常释放", 0, low32(main_gone)),
                             logged(L"【Surfpod守护线程】外置浏览器 %d 闲置超过 %d 秒", low32(main_a), 30)}))
      << "the slot's index and the main window; no idle log for the released slot";
  EXPECT_EQ(gone->hWndMain, nullptr);
  EXPECT_EQ(a->hWndMain, nullptr);
  EXPECT_TRUE(process_ends(pid_a));
  EXPECT_EQ(Surfpod_Show(b), 1) << "an operation makes it active again";
  EXPECT_EQ(pass(30), Lines{}) << "each logged once";
}

}  // namespace
}  // namespace tarvo::test
