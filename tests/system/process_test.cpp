// Processes: walks, liveness, ending by handle and by name, pause and resume through the record's slots, and
// the fixed-value queries. Every process ended here was started here.
#include "fixture.hpp"
#include "xprocess.h"

#include <algorithm>
#include <vector>

namespace {

using namespace tarvo::test;

constexpr uint32_t kNoSuchPid = 0x7FFFFFF0;
const std::wstring kSleeper = helper(L"sleeper.exe");

class Processes : public FileTest {};

// Empty entries name no process; a process matching two entries counts twice.
TEST_F(Processes, KillByNameEndsEveryCopyIgnoringCase) {
  std::wstring name = L"TvSleep" + std::to_wstring(GetCurrentProcessId()) + L".exe", upper = name;
  ASSERT_TRUE(CopyFileW(kSleeper.c_str(), file(name).c_str(), FALSE));
  for (auto &c : upper) c = towupper(c);
  Child a(file(name)), b(file(name));
  ASSERT_TRUE(a.handle() && b.handle());
  EXPECT_EQ(Process_KillNameW((L"other.exe||" + upper + L"|" + name).c_str()), 4u);
  EXPECT_TRUE(a.ended() && b.ended());
  Child c(file(name));
  EXPECT_EQ(Process_KillNameA(utf8(upper).c_str()) + Process_KillNameW(nullptr), 1u);
  EXPECT_TRUE(c.ended());
}

TEST_F(Processes, StatusBitnessAndIdentifiers) {
  Child live(kSleeper), dead(helper(L"exit_with.exe"), L"259");
  ASSERT_EQ(dead.exit_code(), 259) << "reads like \"still active\": the end of the process decides";
  EXPECT_EQ(Process_Status(live.handle()) + PID_Status(live.pid()), 2 * TARVO_TRUE);
  EXPECT_EQ(Process_Is64(live.handle()) + PID_Is64(live.pid()), 2 * TARVO_TRUE);
  EXPECT_EQ(Process_PID(live.handle()), live.pid());
  EXPECT_EQ(Process_Status(dead.handle()) + PID_Status(kNoSuchPid) + Process_Status(nullptr), 0);
  EXPECT_EQ(PID_Is64(kNoSuchPid) + Process_Is64(nullptr) + Process_PID(nullptr), 0u);
}

TEST_F(Processes, KillWaitsForTheEndAndRefusalReturnsAtOnce) {
  Child a(kSleeper), b(kSleeper), c(kSleeper);
  EXPECT_EQ(Process_Kill(a.handle()) + PID_Kill(b.pid()) + Process_Kill(nullptr) + PID_Kill(kNoSuchPid), 0u);
  EXPECT_TRUE(a.ended() && b.ended());
  HANDLE query_only = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, c.pid());
  EXPECT_EQ(Process_Kill(query_only), PROCESS_KILL_REFUSED);
  CloseHandle(query_only);
  EXPECT_FALSE(c.ended());
}

using Seen = std::vector<std::pair<uint32_t, DWORD>>;
int32_t __cdecl stop_at_first(uint32_t, PROCESSENTRY32W *, intptr_t) { return 1; }
int32_t __cdecl stop_at_pid(uint32_t, tagPROCESSENTRY32 *e, intptr_t pid) { return e->th32ProcessID == DWORD(pid); }
int32_t __cdecl note_pid(uint32_t index, PROCESSENTRY32W *e, intptr_t user) {
  reinterpret_cast<Seen *>(user)->push_back({index, e->th32ProcessID});
  return 0;
}

TEST_F(Processes, ScansCountVisitedEntriesAndStopWhenAsked) {
  Seen seen;
  uint32_t all = Process_ScanW(note_pid, reinterpret_cast<intptr_t>(&seen));
  ASSERT_EQ(all, seen.size());
  for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i].first, i + 1) << "positions are 1-based";
  EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](auto &s) { return s.second == GetCurrentProcessId(); }));
  EXPECT_TRUE(Process_ScanW(stop_at_first, 0) == 1 && Process_ScanW(nullptr, 0) > 0);
  uint32_t at_self = Process_ScanA(stop_at_pid, GetCurrentProcessId());
  EXPECT_TRUE(at_self >= 1 && at_self <= all + 8) << at_self;
}

TEST_F(Processes, ChildWalkCountsDirectChildrenOnly) {
  Child spawner(kSleeper, L"--spawn 2");
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

TEST_F(Processes, PauseAndResumeGoThroughTheRecordSlots) {
  Child c(kSleeper);
  EXPECT_EQ(Process_Pause(c.handle()) + PID_Resume(c.pid()), 0) << "empty slots: nothing called";
  xCore.SuspendProcess = counting_operation<3>;
  xCore.ResumeProcess = counting_operation<4>;
  std::vector<int> results{Process_Pause(c.handle()), PID_Pause(c.pid()), Process_Resume(c.handle()),
                           PID_Resume(c.pid()), PID_Pause(kNoSuchPid), PID_Resume(kNoSuchPid)};
  xCore.SuspendProcess = xCore.ResumeProcess = nullptr;
  EXPECT_EQ(results, std::vector<int>({3, 3, 4, 4, 0, 0}));
  EXPECT_EQ(g_calls, std::vector<DWORD>(4, c.pid()));
}

TEST_F(Processes, FixedQueriesAnswerTheirFixedValues) {
  Child c(kSleeper);
  const void *empty = xCore.EmptyString;
  for (auto *f : {Process_CmdLineW, Process_CurPathW, Process_ImageNameW, Process_GetPathW}) EXPECT_EQ(f(c.handle()), empty);
  for (auto *f : {Process_CmdLineA, Process_CurPathA, Process_ImageNameA, Process_GetPathA}) EXPECT_EQ(f(c.handle()), empty);
  for (auto *f : {PID_CmdLineW, PID_CurPathW, PID_ImageNameW, PID_GetPathW})
    EXPECT_TRUE(f(c.pid()) == empty && f(kNoSuchPid) == nullptr);
  for (auto *f : {PID_CmdLineA, PID_CurPathA, PID_ImageNameA, PID_GetPathA})
    EXPECT_TRUE(f(c.pid()) == empty && f(kNoSuchPid) == nullptr);
  EXPECT_EQ(Proecss_MenoryCount(c.handle()) + Proecss_PageMemoryCount(c.handle()) + PID_MenoryCount(c.pid()) +
                PID_PageMemoryCount(c.pid()) + Process_ParentPID(c.handle()) + PID_ParentPID(c.pid()) +
                Process_InjectDll(c.handle(), L"x.dll") + PID_InjectDll(c.pid(), L"x.dll"),
            0u);
}

}  // namespace
