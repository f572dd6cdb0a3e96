// Set-up and its configuration file, starting and binding browsers, the
// table's limits, bounded reads, and the process's handles across create,
// release and set-up cycles.
#include "standin.hpp"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

class SurfpodSetup : public LeakCheckedTest {};

TEST_F(SurfpodSetup, WritesTheDefaultConfigurationOnceAndRefusesAFolderWithoutTheProgram) {
  StandinFolder folder;
  ASSERT_EQ(Surfpod_Setup(folder.dir().c_str()), 1);
  std::wstring ini = std::wstring(folder.dir().begin(), folder.dir().end()) + L"Surfpod.ini";
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
  for (const char *dir : {static_cast<const char *>(nullptr), "", too_long.c_str()})
    EXPECT_EQ(Surfpod_Setup(dir), 0);
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
  EXPECT_NE(h->hWndData4, nullptr);
  DWORD pid = h->dwProcessId;
  EXPECT_EQ(pid, *folder.started().begin());
  EXPECT_EQ(Surfpod_ForceClose(h), 1);
  EXPECT_EQ(h->hWndMain, nullptr);
  EXPECT_TRUE(process_ends(pid));
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
  for (DWORD pid : folder_.started()) terminate(pid);
  ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &after));
  EXPECT_EQ(after, before);
}

TEST_F(SurfpodHandles, ReadsAreWholeBoundedAndNeverWaitLong) {
  SurfpodInstance *h = start();
  ASSERT_NE(h, nullptr);
  control(h, "page\thtmlsize\t100000");
  control(h, "shortlength\t1");  // the first length reads half: the text grew after it was asked
  EXPECT_EQ(take(Surfpod_GetHTML(h)), std::string(100000, 'x'));
  control(h, "slowread\t400");
  EXPECT_EQ(take(Surfpod_GetHTML(h)), "(empty)") << "a read that takes longer than 60 ms gives nothing";
  control(h, "clear");
  control(h, "page\ttitle\t");
  EXPECT_EQ(take(Surfpod_GetWebTitle(h)), "(empty)");
  SetWindowTextA(static_cast<HWND>(h->hWndMain), "");
  EXPECT_EQ(take(Surfpod_GetTitle(h)), "(empty)");
}

}  // namespace
}  // namespace tarvo::test
