// Set-up and its configuration file, starting and binding browsers, the
// table's limits, invalid handles over every operation, bounded reads, and
// the process's handles across create, release and set-up cycles.
#include "standin.hpp"

#include <gtest/gtest.h>

#include <functional>

namespace tarvo::test {
namespace {

std::string n(int64_t v) { return std::to_string(v); }

class SurfpodSetup : public LeakCheckedTest {};

TEST_F(SurfpodSetup, WritesTheDefaultConfigurationOnceAndLeavesAnExistingOneAlone) {
  StandinFolder folder;
  ASSERT_EQ(Surfpod_Setup(folder.dir().c_str()), 1);
  const std::string expected =
      "[Option]\r\nTitle=" + gbk(L"Nivra外置浏览器 - Power By Tovrel") +
      "\r\nIsHide=0\r\nDebug=1\r\nLoadSize=1\r\nw= 13935\r\nh= 9690\r\nShowTool=1\r\nNoClose=0\r\nNoSize=0\r\n"
      "NoMove=0\r\nNoMin=0\r\nFakeClose=0\r\nTopMust=0\r\nTaskBar=1\r\nTrayIcon=0\r\nClearCookies=0\r\n"
      "IEVer=11000\r\nHomePage=about:blank\r\nLoadPage=about:blank\r\nHtmlTitle=1\r\nSilent=0\r\n\r\n"
      "[Popup]\r\nlistmode=0\r\nfuncmode=2\r\ncount=0\r\n";
  std::wstring ini = std::wstring(folder.dir().begin(), folder.dir().end()) + L"Surfpod.ini";
  EXPECT_EQ(raw_read(ini), expected);
  raw_write(ini, "[Option]\r\nTitle=mine\r\n");
  EXPECT_EQ(Surfpod_Setup(folder.dir().c_str()), 1);
  EXPECT_EQ(raw_read(ini), "[Option]\r\nTitle=mine\r\n");
}

TEST_F(SurfpodSetup, TakesTheFolderWithOrWithoutItsSeparator) {
  StandinFolder folder;
  std::string bare = folder.dir().substr(0, folder.dir().size() - 1);
  for (const std::string &dir : {bare, bare + "/", folder.dir()}) EXPECT_EQ(Surfpod_Setup(dir.c_str()), 1) << dir;
}

TEST_F(SurfpodSetup, AMissingProgramRefusesAndWritesNothing) {
  TempDir empty;
  std::string dir(empty.path().begin(), empty.path().end());
  EXPECT_EQ(Surfpod_Setup(dir.c_str()), 0);
  EXPECT_EQ(GetFileAttributesW(empty.file(L"Surfpod.ini").c_str()), INVALID_FILE_ATTRIBUTES);
  // The test program's own folder has no Surfpod.exe; a folder too long for its file names is refused.
  EXPECT_EQ(Surfpod_Setup(nullptr), 0);
  EXPECT_EQ(Surfpod_Setup(""), 0);
  EXPECT_EQ(Surfpod_Setup(std::string(250, 'a').c_str()), 0);
}

class SurfpodStart : public LeakCheckedTest {};

TEST_F(SurfpodStart, WaitsForABrowserThatAnswersLateFromAFolderWithBlanks) {
  StandinFolder folder("ready_after 1500\n");
  // Unquoted, the command line would start this program instead.
  CopyFileW(beside_test(L"exit_with.exe").c_str(), (folder.parent() + L"Surf.exe").c_str(), FALSE);
  ASSERT_EQ(Surfpod_Setup(folder.dir().c_str()), 1);
  SurfpodInstance *h = Surfpod_Create();
  ASSERT_NE(h, nullptr);
  std::vector<std::string> journal = folder.take_journal();
  EXPECT_GT(std::count(journal.begin(), journal.end(), "0x1400 1 0"), 1) << "asked more than once";
  EXPECT_EQ(Surfpod_IsRunning(h), 1);
  EXPECT_NE(h->hWndData4, nullptr);
  EXPECT_EQ(h->dwProcessId, *folder.started().begin());
  DWORD pid = h->dwProcessId;
  EXPECT_EQ(Surfpod_ForceClose(h), 1);
  EXPECT_EQ(h->hWndMain, nullptr);
  EXPECT_TRUE(process_ends(pid));
}

TEST_F(SurfpodStart, ABrowserThatNeverAnswersIsLeftRunning) {
  StandinFolder folder("never_ready\n");
  ASSERT_EQ(Surfpod_Setup(folder.dir().c_str()), 1);
  EXPECT_EQ(Surfpod_Create(), nullptr);
  std::set<DWORD> started = folder.started();
  ASSERT_EQ(started.size(), 1u);
  EXPECT_TRUE(process_runs(*started.begin()));
  EXPECT_EQ(Surfpod_ReleaseAll(), 0);
}

TEST_F(SurfpodStart, AProgramThatEndsWithoutAWindowGivesNothing) {
  TempDir folder;
  CopyFileW(beside_test(L"exit_with.exe").c_str(), folder.file(L"Surfpod.exe").c_str(), FALSE);
  ASSERT_EQ(Surfpod_Setup(std::string(folder.path().begin(), folder.path().end()).c_str()), 1);
  EXPECT_EQ(Surfpod_Create(), nullptr);
  EXPECT_EQ(Surfpod_CloseAll(), 0);
}

TEST_F(SurfpodStart, BindsEachWindowOnceAndRefusesTheSixtyFifth) {
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

// Every operation on a handle, its result as text.
struct Op {
  const char *name;
  std::function<std::string(SurfpodInstance *)> call;
  const char *refused;  // null handle, released slot, an address that is no slot
  const char *gone;     // a browser whose window has gone
};

std::string pair_text(int32_t r, int32_t a, int32_t b) { return n(r) + " " + n(a) + " " + n(b); }
template <int32_t (*Fn)(SurfpodInstance *, int32_t *, int32_t *)>
std::string pair(SurfpodInstance *h) {
  int32_t a = -1, b = -1;
  int32_t r = Fn(h, &a, &b);
  return pair_text(r, a, b);
}
std::string marked(char *text) { return text == xCore.EmptyString ? "(empty)" : take(text); }

#define INT_OP(name, ...) {#name, [](SurfpodInstance *h) { return n(Surfpod_##name(h, ##__VA_ARGS__)); }, "0", "0"}
#define TEXT_OP(name, ...) \
  {#name, [](SurfpodInstance *h) { return marked(Surfpod_##name(h, ##__VA_ARGS__)); }, "(null)", "(empty)"}
#define STATUS_OP(name, ...) \
  {#name, [](SurfpodInstance *h) { return n(Surfpod_##name(h, ##__VA_ARGS__)); }, "-65536", "-65536"}
#define ELEMENT_TEXT_OP(name, ...) \
  {#name, [](SurfpodInstance *h) { return marked(Surfpod_##name(h, ##__VA_ARGS__)); }, "(empty)", "(empty)"}

const std::vector<Op> &operations() {
  static const std::vector<Op> ops = {
      INT_OP(IsRunning), INT_OP(Show), INT_OP(Hide), INT_OP(IsHide), INT_OP(SetWinSize, 1, 2),
      INT_OP(SetWebSize, 1, 2), INT_OP(SetScroll, 1, 2),
      {"GetWinSize", pair<Surfpod_GetWinSize>, "0 -1 -1", "0 -1 -1"},
      {"GetWebSize", pair<Surfpod_GetWebSize>, "0 -1 -1", "0 -1 -1"},
      {"GetPageSize", pair<Surfpod_GetPageSize>, "0 -1 -1", "0 -1 -1"},
      {"GetScroll", pair<Surfpod_GetScroll>, "0 -1 -1", "0 -1 -1"},
      TEXT_OP(GetTitle), INT_OP(SetTitle, "t"), INT_OP(SetupProxy, "a", "b"), INT_OP(ClearProxy),
      INT_OP(ShowDevTool), INT_OP(GetOpt, 3), {"GetOpt text", [](SurfpodInstance *h) { return marked(reinterpret_cast<char *>(Surfpod_GetOpt(h, 9))); },
       "(null)", "(empty)"},
      INT_OP(SetOpt, 3, 4),
      INT_OP(SetOpt, 10, reinterpret_cast<intptr_t>("x")), INT_OP(GoURL, "u"), INT_OP(GoBack), INT_OP(GoForward),
      INT_OP(GoHome), INT_OP(Refresh), INT_OP(Stop), TEXT_OP(GetWebTitle), TEXT_OP(GetHTML), TEXT_OP(GetURL),
      TEXT_OP(GetLocationURL), TEXT_OP(GetLocationName), INT_OP(LoadPage, "a", "b", 1, 2), INT_OP(WaitPage, "a", 1, 2),
      INT_OP(SavePage, "f"), TEXT_OP(RunJS, "s", 1), INT_OP(RunJS_NoRet, "s", 1), TEXT_OP(GetCookies, "c"),
      TEXT_OP(HttpGet, "u"), TEXT_OP(HttpPost, "u", "d"), INT_OP(HttpGetFile, "u", "f"),
      INT_OP(HttpPostFile, "u", "d", "f"), INT_OP(ScreenShot, 1, 2, 3, 4, "f"), INT_OP(ScreenShotFull, "f"),
      INT_OP(SetFrame, "a", nullptr, nullptr, 1), INT_OP(ResetFrame),
      {"MXPath_GenPath",
       [](SurfpodInstance *h) {
         char *script = nullptr, *variable = nullptr;
         return n(Surfpod_MXPath_GenPath(h, "p", nullptr, &script, &variable)) + (script || variable ? " written" : "");
       },
       "-65536", "-65536"},
      {"MXPath_GenPath_UseVar",
       [](SurfpodInstance *h) {
         char *script = nullptr;
         return n(Surfpod_MXPath_GenPath_UseVar(h, "p", "v", "t", &script)) + (script ? " written" : "");
       },
       "-65536", "-65536"},
      {"MXPath_GenEleJS",
       [](SurfpodInstance *h) {
         char *a = nullptr, *b = nullptr;
         return n(Surfpod_MXPath_GenEleJS(h, "p", "t", nullptr, nullptr, 1, 2, &a, &b)) + (a || b ? " written" : "");
       },
       "-65536", "-65536"},
      {"Element_RunJS",
       [](SurfpodInstance *h) {
         char *text = nullptr;
         return n(Surfpod_Element_RunJS(h, "p", "t", nullptr, nullptr, 1, &text)) + (text ? " written" : "");
       },
       "-65536", "-65536"},
      INT_OP(Element_IsExists, "p"), STATUS_OP(Element_Click, "p"), STATUS_OP(Element_SetValue, "p", "v"),
      ELEMENT_TEXT_OP(Element_GetValue, "p"), STATUS_OP(Element_SetOuterHtml, "p", "v"),
      ELEMENT_TEXT_OP(Element_GetOuterHtml, "p"), STATUS_OP(Element_SetInnerHtml, "p", "v"),
      ELEMENT_TEXT_OP(Element_GetInnerHtml, "p"), STATUS_OP(Element_SetText, "p", "v"),
      ELEMENT_TEXT_OP(Element_GetText, "p"), ELEMENT_TEXT_OP(Element_GetOuterText, "p"),
      ELEMENT_TEXT_OP(Element_GetInnerText, "p"), STATUS_OP(Element_SetCheck, "p", 1), INT_OP(Element_GetCheck, "p"),
      STATUS_OP(Element_SetSelect, "p", 1), STATUS_OP(Element_SetSelectText, "p", "t"), STATUS_OP(Element_Remove, "p"),
      STATUS_OP(Element_SetAttribute, "p", "n", "v"), ELEMENT_TEXT_OP(Element_GetAttribute, "p", "n"),
      {"Element_GetRect",
       [](SurfpodInstance *h) {
         int32_t l = -1, t = -1, r = -1, b = -1;
         return n(Surfpod_Element_GetRect(h, "p", &l, &t, &r, &b)) + " " + n(l + t + r + b);
       },
       "-65536 -4", "-65536 -4"},
      INT_OP(Element_GetCount, "p"), INT_OP(Element_Show, "p"), INT_OP(Element_ScreenShot, "p", "f"),
  };
  return ops;
}

// The last three empty the slot: a browser that has gone is let go all the same.
const Op kLettingGo[] = {{"Close", [](SurfpodInstance *h) { return n(Surfpod_Close(h)); }, "0", "1"},
                         {"ForceClose", [](SurfpodInstance *h) { return n(Surfpod_ForceClose(h)); }, "0", "1"},
                         {"Release", [](SurfpodInstance *h) { return n(Surfpod_Release(h)); }, "0", "1"}};

class SurfpodHandles : public SurfpodTest {};

TEST_F(SurfpodHandles, InvalidHandlesGetTheFailureValueOfEveryOperation) {
  SurfpodInstance *released = start();
  ASSERT_NE(released, nullptr);
  ASSERT_EQ(Surfpod_Release(released), 1);
  auto *outside = reinterpret_cast<SurfpodInstance *>(reinterpret_cast<char *>(released) + 8);
  for (SurfpodInstance *h : {static_cast<SurfpodInstance *>(nullptr), released, outside}) {
    for (const Op &op : operations()) EXPECT_EQ(op.call(h), op.refused) << op.name;
    for (const Op &op : kLettingGo) EXPECT_EQ(op.call(h), op.refused) << op.name;
  }
  // The released browser still runs: bound again, then its window goes.
  SurfpodInstance *gone = Surfpod_Bind(browser_windows(*folder_.started().begin()).at(0));
  ASSERT_NE(gone, nullptr);
  DWORD pid = gone->dwProcessId;
  control(gone, "quit");
  ASSERT_TRUE(process_ends(pid));
  for (const Op &op : operations()) EXPECT_EQ(op.call(gone), op.gone) << op.name;
  // Each of them empties the slot; the next finds a window that has gone in it again.
  for (const Op &op : kLettingGo) {
    if (!gone->hWndMain) gone->hWndMain = reinterpret_cast<void *>(0x7FFF0001);
    EXPECT_EQ(op.call(gone), op.gone) << op.name;
    EXPECT_EQ(gone->hWndMain, nullptr) << op.name;
  }
}

TEST_F(SurfpodHandles, ProcessHandlesComeBackAfterCreateReleaseAndSetUpCycles) {
  DWORD before = 0, after = 0;
  ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &before));
  for (int cycle = 0; cycle < 2; ++cycle) {
    SurfpodInstance *a = start(), *b = start();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(Surfpod_Close(a), 1);
    ASSERT_EQ(Surfpod_Setup(folder_.dir().c_str()), 1) << "a new table lets go of b";
    EXPECT_EQ(Surfpod_IsRunning(b), 0) << "an old handle reads as empty";
    EXPECT_EQ(Surfpod_Show(b), 0);
    SurfpodInstance *c = start();
    EXPECT_EQ(Surfpod_ForceClose(c), 1);
  }
  for (DWORD pid : folder_.started()) {
    if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
      TerminateProcess(p, 1);
      WaitForSingleObject(p, 10000);
      CloseHandle(p);
    }
  }
  ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &after));
  EXPECT_EQ(after, before);
}

TEST_F(SurfpodHandles, ReadsAreWholeBoundedAndNeverWaitLong) {
  SurfpodInstance *h = start();
  ASSERT_NE(h, nullptr);
  control(h, "page\thtmlsize\t100000");
  control(h, "shortlength\t1");  // the first length reads half: the text grew after it was asked
  char *html = Surfpod_GetHTML(h);
  EXPECT_EQ(std::string(html), std::string(100000, 'x'));
  xCore_free(html);
  control(h, "slowread\t400");
  EXPECT_EQ(marked(Surfpod_GetHTML(h)), "(empty)") << "a read that takes longer than 60 ms gives nothing";
  control(h, "clear");
  control(h, "page\ttitle\t");
  EXPECT_EQ(marked(Surfpod_GetWebTitle(h)), "(empty)");
  SetWindowTextA(static_cast<HWND>(h->hWndMain), "");
  EXPECT_EQ(marked(Surfpod_GetTitle(h)), "(empty)");
}

}  // namespace
}  // namespace tarvo::test
