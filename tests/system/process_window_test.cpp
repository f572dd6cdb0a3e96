// Processes and windows of our own helper programs (every process ended here was started here): walks,
// liveness, ending, pause and resume through the record's slots, fixed-value queries; the window matcher and
// window operations on windows of this thread (whose messages can be counted) and of another process
// (cross-process sends, hung windows, message boxes).
#include "fixture.hpp"
#include "window_ops.hpp"
#include "xprocess.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using namespace tarvo::test;
using namespace tarvo::window;

constexpr uint32_t kNoSuchPid = 0x7FFFFFF0;
const std::wstring kSleeper = helper(L"sleeper.exe");

class Processes : public FileTest {};

// A kill waits for the end; a refused one returns at once. Exit code 259 reads like "still active": the end of
// the process decides.
TEST_F(Processes, LivenessQueriesAndKillsByHandleAndName) {
  Child live(kSleeper), dead(helper(L"exit_with.exe"), L"259"), a(kSleeper), b(kSleeper);
  ASSERT_EQ(dead.exit_code(), 259);
  EXPECT_EQ(Process_Status(live.handle()) + PID_Status(live.pid()), 2 * TARVO_TRUE);
  EXPECT_EQ(Process_Is64(live.handle()) + PID_Is64(live.pid()), 2 * TARVO_TRUE);
  EXPECT_EQ(Process_PID(live.handle()), live.pid());
  EXPECT_EQ(Process_Status(dead.handle()) + PID_Status(kNoSuchPid) + Process_Status(nullptr), 0);
  EXPECT_EQ(PID_Is64(kNoSuchPid) + Process_Is64(nullptr) + Process_PID(nullptr), 0u);
  EXPECT_EQ(Process_Kill(a.handle()) + PID_Kill(b.pid()) + Process_Kill(nullptr) + PID_Kill(kNoSuchPid), 0u);
  EXPECT_TRUE(a.ended() && b.ended());
  HANDLE query_only = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, live.pid());
  EXPECT_EQ(Process_Kill(query_only), PROCESS_KILL_REFUSED);
  CloseHandle(query_only);
  EXPECT_FALSE(live.ended());
  // By name: empty entries name no process; a process matching two entries counts twice; an entry that is only
  // the start of a running program's name, or runs on past it, names another program.
  std::wstring id = std::to_wstring(GetCurrentProcessId()), name = L"tvs" + id + L".exe", upper = L"TVS" + id + L".EXE";
  ASSERT_TRUE(CopyFileW(kSleeper.c_str(), file(name).c_str(), FALSE));
  Child c(file(name)), d(file(name));
  const std::wstring lookalikes = L"|tvs" + id + L"|tvs" + id + L".ex|" + name + L"x|x" + name;
  EXPECT_EQ(Process_KillNameW((L"other.exe||" + upper + L"|" + name + lookalikes).c_str()), 4u);
  EXPECT_TRUE(c.ended() && d.ended());
  Child e(file(name));
  EXPECT_EQ(Process_KillNameA(utf8(upper).c_str()) + Process_KillNameW(nullptr), 1u);
  EXPECT_TRUE(e.ended());
}

using Seen = std::vector<std::pair<uint32_t, DWORD>>;
int32_t __cdecl stop_at_first(uint32_t, PROCESSENTRY32W *, intptr_t) { return 1; }
int32_t __cdecl stop_at_pid(uint32_t, tagPROCESSENTRY32 *e, intptr_t pid) { return e->th32ProcessID == DWORD(pid); }
int32_t __cdecl note_pid(uint32_t index, PROCESSENTRY32W *e, intptr_t user) {
  reinterpret_cast<Seen *>(user)->push_back({index, e->th32ProcessID});
  return 0;
}

TEST_F(Processes, ScansCountVisitedEntriesStopWhenAskedAndWalkChildren) {
  Seen seen;
  uint32_t all = Process_ScanW(note_pid, reinterpret_cast<intptr_t>(&seen));
  ASSERT_EQ(all, seen.size());
  for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i].first, i + 1) << "positions are 1-based";
  EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](auto &s) { return s.second == GetCurrentProcessId(); }));
  EXPECT_TRUE(Process_ScanW(stop_at_first, 0) == 1 && Process_ScanW(nullptr, 0) > 0);
  uint32_t at_self = Process_ScanA(stop_at_pid, GetCurrentProcessId());
  EXPECT_TRUE(at_self >= 1 && at_self <= all + 8) << at_self;
  // The child walk counts direct children only.
  Child spawner(helper(L"window_host.exe"), L"--class TvSpawner --spawn 2");
  Seen children;
  ASSERT_TRUE(eventually([&] {
    children.clear();
    return PID_ScanChildW(spawner.pid(), note_pid, reinterpret_cast<intptr_t>(&children)) == 2;
  }));
  EXPECT_EQ(PID_FindChild(spawner.pid()), spawner.pid()) << "the parent's own identifier";
  EXPECT_EQ(Process_FindChild(spawner.handle()), spawner.pid());
  EXPECT_EQ(PID_FindChild(children[0].second) + PID_FindChild(kNoSuchPid), 0u);
  EXPECT_EQ(PID_ScanChildA(spawner.pid(), nullptr, 0), 2u);
  for (auto &c : children) EXPECT_EQ(PID_Kill(c.second), 0u);
  EXPECT_EQ(PID_ScanChildW(spawner.pid(), nullptr, 0), 0u);
}

std::vector<DWORD> g_calls;
template <int kResult>
int __stdcall counting_operation(void *process) {
  g_calls.push_back(GetProcessId(process));
  return kResult;
}

TEST_F(Processes, PauseAndResumeGoThroughTheRecordSlotsAndFixedQueries) {
  Child c(kSleeper);
  EXPECT_EQ(Process_Pause(c.handle()) + PID_Resume(c.pid()), 0) << "empty slots: nothing called";
  xCore.SuspendProcess = counting_operation<3>;
  xCore.ResumeProcess = counting_operation<4>;
  std::vector<int> results{Process_Pause(c.handle()), PID_Pause(c.pid()), Process_Resume(c.handle()),
                           PID_Resume(c.pid()), PID_Pause(kNoSuchPid), PID_Resume(kNoSuchPid)};
  xCore.SuspendProcess = xCore.ResumeProcess = nullptr;
  EXPECT_EQ(results, std::vector<int>({3, 3, 4, 4, 0, 0}));
  EXPECT_EQ(g_calls, std::vector<DWORD>(4, c.pid()));
  // Queries with nothing to tell: the empty text for a live process, null for a missing one, 0 for numbers.
  for (auto *f : {PID_CmdLineW, PID_CurPathW, PID_ImageNameW, PID_GetPathW})
    EXPECT_TRUE(f(c.pid()) == (const void *)xCore.EmptyString && f(kNoSuchPid) == nullptr);
  EXPECT_TRUE(Process_CmdLineW(c.handle()) == (const void *)xCore.EmptyString && PID_GetPathA(kNoSuchPid) == nullptr);
  EXPECT_EQ(Proecss_MenoryCount(c.handle()) + PID_PageMemoryCount(c.pid()) + PID_InjectDll(c.pid(), L"x.dll"), 0u);
}

std::wstring title_of(HWND w) { return std::unique_ptr<wchar_t, void (*)(void *)>(title(w), xCore_free).get(); }

int g_title_asks = 0;
LRESULT CALLBACK counting_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_GETTEXTLENGTH) ++g_title_asks;
  return DefWindowProcA(w, m, wp, lp);
}

WindowFilter filter(uint32_t flags, const char *text, uint32_t bits = 0, uint32_t owner = 0) {
  return {flags, text, text, bits, bits, owner};
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
    g_title_asks = 0;
  }
  void TearDown() override { DestroyWindow(titled_), LeakCheckedTest::TearDown(); }
  HWND titled_ = nullptr;
};

// Style, extended style, owner and class come first: a window failing any of them is never asked for its title.
// In the rows the text stands for the title or the class, the bits for the style or the extended style, whichever
// the flags test; texts compare case-sensitively and null reads as "".
TEST_F(Windows, MatcherTruthTable) {
  for (uint32_t flags : {kStyleHas, kExStyleHas, kOwnerProcess, kClassEquals})
    EXPECT_FALSE(matches(titled_, filter(flags | kTitleEquals, "Alpha Beta", WS_DISABLED | WS_EX_TOPMOST, kNoSuchPid)));
  EXPECT_EQ(g_title_asks, 0);
  const uint32_t style = GetWindowLongW(titled_, GWL_STYLE), ex = GetWindowLongW(titled_, GWL_EXSTYLE);
  const DWORD process = GetCurrentProcessId(), thread = GetCurrentThreadId();
  const struct {
    uint32_t flags;
    const char *text;
    uint32_t bits, owner;
    bool expected;
  } rows[] = {
      {0, nullptr, 0, 0, true}, {kTitleEquals, "Alpha Beta", 0, 0, true}, {kTitleEquals, "Alpha", 0, 0, false},
      {kTitleEquals, "alpha beta", 0, 0, false}, {kTitleEquals, nullptr, 0, 0, false},
      {kTitleContains, "a Be", 0, 0, true}, {kTitleContains, nullptr, 0, 0, true}, {kTitleContains, "x", 0, 0, false},
      {kTitleDiffers, "Alpha", 0, 0, true}, {kTitleDiffers, "Alpha Beta", 0, 0, false},
      {kClassEquals, "tarvomatch", 0, 0, false}, {kClassContains, "", 0, 0, true},
      {kClassDiffers, "Other", 0, 0, true}, {kClassDiffers, "TarvoMatch", 0, 0, false},
      {kStyleHas, nullptr, WS_VISIBLE | WS_CAPTION, 0, true}, {kStyleHas, nullptr, WS_VISIBLE | WS_DISABLED, 0, false},
      {kStyleLacks, nullptr, WS_VISIBLE | WS_DISABLED, 0, true}, {kStyleLacks, nullptr, WS_VISIBLE, 0, false},
      {kStyleEquals, nullptr, style, 0, true}, {kStyleEquals, nullptr, WS_VISIBLE, 0, false},
      {kExStyleHas, nullptr, WS_EX_TOOLWINDOW, 0, true}, {kExStyleLacks, nullptr, WS_EX_TOPMOST, 0, true},
      {kExStyleEquals, nullptr, ex, 0, true}, {kExStyleEquals, nullptr, 0, 0, false},
      {kOwnerProcess, nullptr, 0, process, true}, {kOwnerThread, nullptr, 0, thread, true},
      {kOwnerThread, nullptr, 0, process, false}, {kOwnerProcess | kOwnerThread, nullptr, 0, process, true},
      {kOwnerThread, nullptr, 0, 0, true},  // owner 0: no test
      {kTitleContains | kClassContains | kStyleHas, "a", WS_VISIBLE, process, true},
  };
  for (const auto &r : rows)
    EXPECT_EQ(matches(titled_, filter(r.flags, r.text, r.bits, r.owner)), r.expected)
        << std::hex << "flags 0x" << r.flags << " text " << (r.text ? r.text : "(null)");
  SetWindowTextA(titled_, "");
  EXPECT_TRUE(matches(titled_, filter(kTitleEquals, "")) && matches(titled_, filter(kTitleEquals, nullptr)));
}

TEST_F(Windows, OtherProcessesWindowsHungOnesAndMessageBoxes) {
  Child host(helper(L"window_host.exe"), L"--class TarvoOther --title Before --popup Owned");
  HWND w = nullptr;
  ASSERT_TRUE(eventually([&] { return w = FindWindowW(L"TarvoOther", nullptr); }));
  HWND popup = nullptr;
  ASSERT_TRUE(eventually([&] { return popup = find_top(kTitleEquals | kOwnerProcess, "Owned", 0, 0, 0, host.pid()); }));
  EXPECT_EQ(root(popup), popup) << "an owned pop-up has no parent";
  // Titles of any length are read whole, here and across the process border.
  std::wstring long_title = std::wstring(99999, L'x') + L'y';
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
  // A hung window answers nothing, and costs little: its title reads as empty.
  Child hung(helper(L"window_host.exe"), L"--class TarvoHung --title Hung --hang 60000");
  ASSERT_TRUE(eventually([&] { return w = FindWindowW(L"TarvoHung", nullptr); }));
  EXPECT_TRUE(is_hung(w));
  EXPECT_TRUE(!matches(w, filter(kTitleEquals, "Hung")) && matches(w, filter(kTitleDiffers, "Hung")));
  EXPECT_EQ(title_of(w), L"");
  // Message boxes are found and answered.
  const int cases[][3] = {{IDOK, 0, IDOK}, {0, 0, IDCANCEL}, {999, IDOK, IDOK}};  // ids to click, the box's result
  for (const auto &c : cases) {
    Child asker(helper(L"window_host.exe"), L"--msgbox TarvoBox");
    HWND box = nullptr;
    ASSERT_TRUE(eventually([&] { return box = message_box(asker.pid()); }));
    EXPECT_EQ(close_message_box(box, c[0], c[1]), 0);
    EXPECT_EQ(asker.exit_code(), c[2]);
  }
  EXPECT_EQ(message_box(kNoSuchPid), nullptr);
}

}  // namespace
