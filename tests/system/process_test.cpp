// Processes: walks, liveness, ending by handle and by name, pause and resume
// through the record's slots, and the fixed-value queries. Every process
// ended here was started here (copies of the sleeper under names of their
// own for the name tests).
#include "alloc_counter.hpp"
#include "child_process.hpp"
#include "temp_dir.hpp"
#include "xprocess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using tarvo::test::Child;
using tarvo::test::eventually;
using tarvo::test::helper;

constexpr uint32_t kNoSuchPid = 0x7FFFFFF0;

class Processes : public tarvo::test::LeakCheckedTest {
 protected:
  // A copy of the sleeper named `name` in the test's folder.
  std::wstring sleeper_named(const std::wstring &name) {
    std::wstring path = dir_.file(name);
    EXPECT_TRUE(CopyFileW(helper(L"sleeper.exe").c_str(), path.c_str(), FALSE));
    return L"\"" + path + L"\"";
  }
  tarvo::test::TempDir dir_;
};

bool ended(const Child &c) { return WaitForSingleObject(c.handle(), 0) == WAIT_OBJECT_0; }

TEST_F(Processes, KillByNameEndsEveryCopyIgnoringCase) {
  std::wstring name = L"TvSleep" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  std::wstring line = sleeper_named(name);
  std::wstring upper = name;
  for (auto &c : upper) c = towupper(c);
  struct Case {
    std::wstring list;
    uint32_t expected;  // with two copies running
  };
  // Empty entries name no process; a process matching two entries counts
  // twice.
  const Case cases[] = {
      {L"", 0}, {L"|", 0}, {L"other.exe|", 0}, {upper, 2}, {L"nothing.exe|" + upper + L"|" + name, 4}};
  for (const Case &c : cases) {
    Child a(line), b(line);
    ASSERT_TRUE(a.started() && b.started());
    EXPECT_EQ(Process_KillNameW(c.list.c_str()), c.expected) << tarvo::test::utf8(c.list);
    EXPECT_EQ(ended(a), c.expected > 0);
    EXPECT_EQ(ended(b), c.expected > 0);
  }
  Child a(line);
  std::string narrow = tarvo::test::utf8(upper);
  EXPECT_EQ(Process_KillNameA(narrow.c_str()), 1u);
  EXPECT_TRUE(ended(a));
  EXPECT_EQ(Process_KillNameW(nullptr), 0u);
}

TEST_F(Processes, StatusBitnessAndIdentifiers) {
  Child live(helper(L"sleeper.exe"));
  EXPECT_EQ(Process_Status(live.handle()), TARVO_TRUE);
  EXPECT_EQ(PID_Status(live.pid()), TARVO_TRUE);
  // Exit code 259 reads like "still active": the end of the process decides.
  Child dead(helper(L"exit_with.exe") + L" 259");
  ASSERT_EQ(dead.exit_code(), 259);
  EXPECT_EQ(Process_Status(dead.handle()), 0);
  EXPECT_EQ(PID_Status(kNoSuchPid), 0);
  EXPECT_EQ(Process_Status(nullptr), 0);
  // Bitness and identifiers of the live one.
  EXPECT_EQ(Process_Is64(live.handle()), TARVO_TRUE);
  EXPECT_EQ(PID_Is64(live.pid()), TARVO_TRUE);
  EXPECT_EQ(PID_Is64(kNoSuchPid) | Process_Is64(nullptr), 0);
  EXPECT_EQ(Process_PID(live.handle()), live.pid());
  EXPECT_EQ(Process_PID(nullptr), 0u);
}

TEST_F(Processes, KillWaitsForTheEndAndRefusalReturnsAtOnce) {
  Child a(helper(L"sleeper.exe")), b(helper(L"sleeper.exe"));
  EXPECT_EQ(Process_Kill(a.handle()), 0u);
  EXPECT_TRUE(ended(a));
  EXPECT_EQ(PID_Kill(b.pid()), 0u);
  EXPECT_TRUE(ended(b));

  Child c(helper(L"sleeper.exe"));
  HANDLE query_only = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, c.pid());
  ASSERT_NE(query_only, nullptr);
  EXPECT_EQ(Process_Kill(query_only), PROCESS_KILL_REFUSED);
  CloseHandle(query_only);
  EXPECT_FALSE(ended(c));
  EXPECT_EQ(Process_Kill(nullptr), 0u);
  EXPECT_EQ(PID_Kill(kNoSuchPid), 0u);
}

int32_t __cdecl stop_at_first(uint32_t, PROCESSENTRY32W *, intptr_t) { return 1; }
int32_t __cdecl note_pid(uint32_t index, PROCESSENTRY32W *e, intptr_t user) {
  auto &seen = *reinterpret_cast<std::vector<std::pair<uint32_t, DWORD>> *>(user);
  seen.push_back({index, e->th32ProcessID});
  return 0;
}
int32_t __cdecl note_pid_a(uint32_t, tagPROCESSENTRY32 *e, intptr_t user) {
  return e->th32ProcessID == static_cast<DWORD>(user);  // stops at the caller
}

TEST_F(Processes, ScansCountVisitedEntriesAndStopWhenAsked) {
  EXPECT_EQ(Process_ScanW(stop_at_first, 0), 1u);
  std::vector<std::pair<uint32_t, DWORD>> seen;
  uint32_t all = Process_ScanW(note_pid, reinterpret_cast<intptr_t>(&seen));
  ASSERT_EQ(all, seen.size());
  for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i].first, i + 1) << "positions are 1-based";
  EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](auto &s) { return s.second == GetCurrentProcessId(); }));
  EXPECT_GT(Process_ScanW(nullptr, 0), 0u);
  uint32_t at_self = Process_ScanA(note_pid_a, GetCurrentProcessId());
  EXPECT_GE(at_self, 1u);
  EXPECT_LE(at_self, all + 8);
}

TEST_F(Processes, ChildWalkCountsDirectChildrenOnly) {
  Child spawner(helper(L"sleeper.exe") + L" --spawn 2");
  std::vector<std::pair<uint32_t, DWORD>> children;
  ASSERT_TRUE(eventually([&] {
    children.clear();
    return PID_ScanChildW(spawner.pid(), note_pid, reinterpret_cast<intptr_t>(&children)) == 2;
  }));
  EXPECT_EQ(PID_FindChild(spawner.pid()), spawner.pid()) << "the parent's own identifier";
  EXPECT_EQ(Process_FindChild(spawner.handle()), spawner.pid());
  EXPECT_EQ(PID_FindChild(children[0].second), 0u);
  EXPECT_EQ(PID_ScanChildA(spawner.pid(), nullptr, 0), 2u);
  EXPECT_EQ(PID_FindChild(kNoSuchPid), 0u);
  for (auto &c : children) EXPECT_EQ(PID_Kill(c.second), 0u);
  EXPECT_EQ(PID_ScanChildW(spawner.pid(), nullptr, 0), 0u);
}

struct Calls {
  int count = 0;
  DWORD pid = 0;
};
Calls g_calls;
int __stdcall counting_operation(void *process) {
  ++g_calls.count;
  g_calls.pid = GetProcessId(process);
  return 7;
}

TEST_F(Processes, PauseAndResumeGoThroughTheRecordSlots) {
  Child c(helper(L"sleeper.exe"));
  EXPECT_EQ(Process_Pause(c.handle()), 0) << "empty slot: nothing called";
  EXPECT_EQ(PID_Resume(c.pid()), 0);
  for (xCoreProcessFn *slot : {&xCore.SuspendProcess, &xCore.ResumeProcess}) {
    g_calls = {};
    *slot = counting_operation;
    bool pause = slot == &xCore.SuspendProcess;
    EXPECT_EQ(pause ? Process_Pause(c.handle()) : Process_Resume(c.handle()), 7);
    EXPECT_EQ(pause ? PID_Pause(c.pid()) : PID_Resume(c.pid()), 7);
    EXPECT_EQ(pause ? PID_Pause(kNoSuchPid) : PID_Resume(kNoSuchPid), 0);
    EXPECT_EQ(g_calls.count, 2);
    EXPECT_EQ(g_calls.pid, c.pid());
    *slot = nullptr;
  }
}

TEST_F(Processes, FixedQueriesAnswerTheirFixedValues) {
  Child c(helper(L"sleeper.exe"));
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
