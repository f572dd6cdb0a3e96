// Set-up and its configuration file, starting and binding browsers, the
// table's limits, bounded reads, the process's handles across create, release
// and set-up cycles, and the watcher pass with its exact log texts.
#include "standin.hpp"

#include <gtest/gtest.h>

#include <cstdio>

namespace tarvo::test {
namespace {

class SurfpodSetup : public LeakCheckedTest {};

TEST_F(SurfpodSetup, WritesTheDefaultConfigurationOnceAndRefusesAFolderWithoutTheProgram) {
  StandinFolder folder;
  ASSERT_EQ(Surfpod_Setup(folder.dir().c_str()), 1);
  std::wstring ini = folder.parent() + L"Surf pod\\Surfpod.ini";
  EXPECT_EQ(raw_read(ini),
            "[Option]\r\nTitle=" + gbk(L"Nivra外置浏览器 - Power By Tovrel") +
                "\r\nIsHide=0\r\nDebug=1\r\nLoadSize=1\r\nw= 13935\r\nh= 9690\r\nShowTool=1\r\nNoClose=0\r\n"
                "NoSize=0\r\nNoMove=0\r\nNoMin=0\r\nFakeClose=0\r\nTopMust=0\r\nTaskBar=1\r\nTrayIcon=0\r\n"
                "ClearCookies=0\r\nIEVer=11000\r\nHomePage=about:blank\r\nLoadPage=about:blank\r\nHtmlTitle=1\r\n"
                "Silent=0\r\n\r\n[Popup]\r\nlistmode=0\r\nfuncmode=2\r\ncount=0\r\n");
  raw_write(ini, "[Option]\r\nTitle=mine\r\n");
  std::string bare = folder.dir().substr(0, folder.dir().size() - 1);
  for (const std::string &dir : {bare, bare + "/", folder.dir()}) EXPECT_EQ(Surfpod_Setup(dir.c_str()), 1) << dir;
  EXPECT_EQ(raw_read(ini), "[Option]\r\nTitle=mine\r\n") << "an existing file is left alone";

  TempDir empty;
  EXPECT_EQ(Surfpod_Setup(std::string(empty.path().begin(), empty.path().end()).c_str()), 0);
  EXPECT_EQ(GetFileAttributesW(empty.file(L"Surfpod.ini").c_str()), INVALID_FILE_ATTRIBUTES);
  // The test program's own folder has no Surfpod.exe; a folder too long for its file names is refused.
  const std::string too_long(250, 'a');
  for (const char *dir : {static_cast<const char *>(nullptr), "", too_long.c_str()}) EXPECT_EQ(Surfpod_Setup(dir), 0);
}

TEST_F(SurfpodSetup, WaitsForABrowserThatAnswersLateFromAFolderWithBlanks) {
  StandinFolder folder("ready_after 1500\n");
  // Unquoted, the command line would start this program instead.
  CopyFileW(beside_test(L"exit_with.exe").c_str(), (folder.parent() + L"Surf.exe").c_str(), FALSE);
  ASSERT_EQ(Surfpod_Setup(folder.dir().c_str()), 1);
  SurfpodInstance *h = Surfpod_Create();
  ASSERT_NE(h, nullptr);
  Lines journal = folder.take_journal();
  EXPECT_GT(std::count(journal.begin(), journal.end(), "0x1400 1 0"), 1) << "asked more than once";
  EXPECT_EQ(Surfpod_IsRunning(h), 1);
  EXPECT_EQ(h->dwProcessId, *folder.started().begin());
}

TEST_F(SurfpodSetup, ABrowserThatNeverAnswersIsLeftRunningAndOneThatEndsIsNotAwaited) {
  StandinFolder folder("never_ready\n");
  ASSERT_EQ(Surfpod_Setup(folder.dir().c_str()), 1);
  EXPECT_EQ(Surfpod_Create(), nullptr);
  ASSERT_EQ(folder.started().size(), 1u);
  EXPECT_FALSE(process_ends(*folder.started().begin(), 0));
  EXPECT_EQ(Surfpod_ReleaseAll(), 0);

  TempDir ends;
  CopyFileW(beside_test(L"exit_with.exe").c_str(), ends.file(L"Surfpod.exe").c_str(), FALSE);
  ASSERT_EQ(Surfpod_Setup(std::string(ends.path().begin(), ends.path().end()).c_str()), 1);
  EXPECT_EQ(Surfpod_Create(), nullptr);
  EXPECT_EQ(Surfpod_CloseAll(), 0);
}

TEST_F(SurfpodSetup, BindsEachWindowOnceAndRefusesTheSixtyFifth) {
  StandinFolder folder("windows 66\n");
  ASSERT_EQ(Surfpod_Setup(folder.dir().c_str()), 1);
  SurfpodInstance *first = Surfpod_Create();
  ASSERT_NE(first, nullptr);
  std::vector<HWND> windows = browser_windows(first->dwProcessId);
  ASSERT_EQ(windows.size(), 66u);
  std::vector<SurfpodInstance *> held;
  for (HWND w : windows) held.push_back(Surfpod_Bind(w));
  EXPECT_EQ(std::count(held.begin(), held.end(), first), 1) << "the created window binds to its own slot";
  EXPECT_EQ(std::count(held.begin(), held.end(), nullptr), 2) << "64 slots";
  EXPECT_EQ(Surfpod_Bind(windows[5]), held[5]);
  HWND refused = windows[std::find(held.begin(), held.end(), nullptr) - held.begin()];
  ASSERT_EQ(Surfpod_Release(held[7]), 1);
  EXPECT_EQ(Surfpod_Bind(refused), held[7]) << "an emptied slot is taken again";
  EXPECT_EQ(Surfpod_ReleaseAll(), 64);
  EXPECT_EQ(Surfpod_Bind(nullptr), nullptr);
  EXPECT_EQ(Surfpod_Bind(GetDesktopWindow()), nullptr) << "no answer to the browser query";
  EXPECT_EQ(Surfpod_Bind(reinterpret_cast<void *>(-1)), nullptr) << "not a window: nothing is sent";
}

class SurfpodHandles : public SurfpodTest {};

TEST_F(SurfpodHandles, ProcessHandlesComeBackAfterCreateReleaseAndSetUpCycles) {
  DWORD before = 0, after = 0;
  ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &before));
  for (int cycle = 0; cycle < 2; ++cycle) {
    SurfpodInstance *a = start(), *b = start();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(Surfpod_Close(a), 1);
    ASSERT_EQ(Surfpod_Setup(folder_.dir().c_str()), 1) << "a new table lets go of b";
    EXPECT_EQ(Surfpod_IsRunning(b), 0) << "an old handle reads as empty";
    EXPECT_EQ(Surfpod_Show(b), 0);
    EXPECT_EQ(Surfpod_ForceClose(start()), 1);
  }
  folder_.end_all();
  ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &after));
  EXPECT_EQ(after, before);
}

TEST_F(SurfpodHandles, ReadsAreWholeBoundedAndNeverWaitLong) {
  SurfpodInstance *h = start();
  ASSERT_NE(h, nullptr);
  control(h, "page\thtmlsize\t100000|shortlength\t1");  // the first length reads half: the text grew after it was asked
  EXPECT_EQ(take(Surfpod_GetHTML(h)), std::string(100000, 'x'));
  control(h, "slowread\t400");
  EXPECT_EQ(take(Surfpod_GetHTML(h)), "(empty)") << "a read that takes longer than 60 ms gives nothing";
  control(h, "clear|page\ttitle\t");
  EXPECT_EQ(take(Surfpod_GetWebTitle(h)), "(empty)");
  SetWindowTextA(static_cast<HWND>(h->hWndMain), "");
  EXPECT_EQ(take(Surfpod_GetTitle(h)), "(empty)");
}

Lines g_logs;
void collect(const char *text) { g_logs.push_back(text); }

// The watcher's line: its name and a GBK format filled with window numbers (their low 32 bits) and texts.
template <class... Args>
std::string logged(const wchar_t *format, Args... args) {
  char text[512];
  std::snprintf(text, sizeof text, gbk(std::wstring(L"【Surfpod守护线程】") + format).c_str(), args...);
  return text;
}
int low32(HWND w) { return static_cast<int>(reinterpret_cast<intptr_t>(w)); }
HWND window(const std::string &title, const char *cls = "#32770") { return FindWindowA(cls, title.c_str()); }
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
  std::string popups() {  // what the stand-in's pop-ups saw, sorted
    Lines events;
    for (std::string &line : folder_.take_journal())
      if (line.rfind("popup ", 0) == 0) events.push_back(line);
    return joined(sorted(events));
  }
};

TEST_F(SurfpodWatcher, ClosesOrAnswersEveryKnownPopupAndLeavesTheRest) {
  SurfpodInstance *h = start();
  ASSERT_NE(h, nullptr);
  const std::string alert = gbk(L"来自网页的消息"), error = gbk(L"脚本错误"), hang = gbk(L"Web 浏览器");
  control(h, "popup\talert\thello there|popup\tscripterror\tline 3|popup\thtmldialog\tpage dialog|popup\thang");
  HWND a = window(alert), e = window(error), g = window(hang), d = window("page dialog", "Internet Explorer_TridentDlgFrame");
  ASSERT_TRUE(a && e && d && g);
  folder_.take_journal();
  EXPECT_EQ(sorted(pass(0)), sorted({logged(L"发现网页 Alert 弹窗：%d (%s)", low32(a), "hello there"),
                                     logged(L"发现脚本错误弹窗：%d", low32(e)),
                                     logged(L"发现网页自定义弹窗：%d", low32(d)),
                                     logged(L"监控到脚本卡死窗口出现：%d (%d)", low32(g), low32(GetDlgItem(g, 6)))}));
  EXPECT_EQ(popups(), "popup clicked hang 6|popup closed alert|popup closed htmldialog|popup closed scripterror");
  EXPECT_EQ(h->LogCallback, collect);
  EXPECT_EQ(Surfpod_IsRunning(h), 1) << "the browser itself is left alone";

  // Near misses: a hang question without its Yes button, an alert without a
  // second static text (logged with an empty message), titles that only
  // resemble the known ones, and no callback at all.
  control(h, "popup\thang-noyes|popup\tdialog\t" + error + " |popup\talert-onestatic\tonly one");
  HWND lone = window(alert);
  folder_.take_journal();
  EXPECT_EQ(pass(0), Lines{logged(L"发现网页 Alert 弹窗：%d (%s)", low32(lone), "")});
  EXPECT_EQ(popups(), "popup closed alert");
  EXPECT_TRUE(window(hang) && window(error + " "));
  control(h, "popup\tscripterror\t");
  Surfpod_DeamonProc(0, nullptr);
  EXPECT_EQ(popups(), "popup closed scripterror");
}

TEST_F(SurfpodWatcher, ClicksTheCrashPromptAway) {
  SurfpodInstance *h = start();
  ASSERT_NE(h, nullptr);
  HWND main = static_cast<HWND>(h->hWndMain);
  DWORD pid = h->dwProcessId;
  ASSERT_EQ(Surfpod_Release(h), 1);  // the prompt is found on the whole desktop, held or not
  control(main, "popup\tcrash-nobutton");
  EXPECT_EQ(pass(0), Lines{}) << "a prompt without its button is left alone";
  HWND prompt = window(gbk(L"Nivra外置浏览器"));
  ASSERT_NE(prompt, nullptr);
  SendMessageA(prompt, WM_CLOSE, 0, 0);
  control(main, "popup\tcrash");
  ASSERT_NE(prompt = window(gbk(L"Nivra外置浏览器")), nullptr);
  HWND button = FindWindowExA(prompt, nullptr, "Button", nullptr);
  EXPECT_EQ(pass(0), Lines{logged(L"监控到浏览器崩溃提示窗口出现：%d (%d)", low32(prompt), low32(button))});
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
  EXPECT_EQ(pass(30), (Lines{logged(L"检测到外置浏览器 %d (%d) 没有被正常释放", 0, low32(main_gone)),
                             logged(L"外置浏览器 %d 闲置超过 %d 秒", low32(main_a), 30)}))
      << "the slot's index and the main window; no idle log for the released slot";
  EXPECT_EQ(gone->hWndMain, nullptr);
  EXPECT_EQ(a->hWndMain, nullptr);
  EXPECT_TRUE(process_ends(pid_a));
  EXPECT_EQ(Surfpod_Show(b), 1) << "an operation makes it active again";
  EXPECT_EQ(pass(30), Lines{}) << "each logged once";
}

}  // namespace
}  // namespace tarvo::test
