// The collected heap. The scan is conservative: any word on the stack that
// happens to equal a block's address keeps it. Blocks meant to die are made
// in helpers that are not inlined, their addresses are only ever kept
// xor-masked here, and the dead stack below is zeroed before collecting.
#include "xgc.h"
#include "xstring.h"
#include "xtable.h"

#include <gtest/gtest.h>

// NtCurrentTeb's inline reading of the segment register trips this warning.
#pragma GCC diagnostic ignored "-Warray-bounds"
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#define NOINLINE __attribute__((noinline))

namespace {

constexpr uintptr_t kMask = static_cast<uintptr_t>(0x5A5A5A5A5A5A5A5Aull);

xCoreGcState *state() { return static_cast<xCoreGcState *>(xCore.GcHeap); }

// The library's own address of an export (the program's import thunks differ).
void *exported(const char *name) {
  return reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"tarvo.dll"), name));
}
template <class Slot>
void *slot(Slot s) {
  return reinterpret_cast<void *>(s);
}

// Released addresses, masked (the vector lives where the collector never looks
// anyway; the mask keeps the test honest if that ever changes).
std::vector<uintptr_t> &released() {
  static std::vector<uintptr_t> list;
  return list;
}
void __cdecl note_release(void *p) { released().push_back(reinterpret_cast<uintptr_t>(p) ^ kMask); }
size_t times_released(uintptr_t masked) { return std::count(released().begin(), released().end(), masked); }

const xCoreGcItem *item_of(const void *p) {
  const xCoreGcState *s = state();
  for (size_t i = 0; s && i < s->nslots; ++i)
    if (s->items[i].hash && s->items[i].ptr == p) return &s->items[i];
  return nullptr;
}
NOINLINE bool registered(uintptr_t masked) { return item_of(reinterpret_cast<void *>(masked ^ kMask)) != nullptr; }

// A block nothing refers to once this returns.
NOINLINE uintptr_t dropped_block(uint32_t flags = 0, size_t size = 64) {
  void *p = std::calloc(1, size);
  xCore_GC_Add(p, static_cast<uint32_t>(size), flags, note_release);
  return reinterpret_cast<uintptr_t>(p) ^ kMask;
}

// Stores the masked block's address (plus an offset) into a slot.
NOINLINE void link(void **slot, uintptr_t masked, size_t offset = 0) {
  *slot = reinterpret_cast<char *>(masked ^ kMask) + offset;
}

NOINLINE void scrub_stack() {
  volatile char junk[64 * 1024];
  for (size_t i = 0; i < sizeof junk; ++i) junk[i] = 0;
}

void collect_clean() {
  scrub_stack();
  xCore_GC_Run();
}

// Stale copies of freed addresses in the test runner's frames above a test
// body can equal a block that the test expects to die. A thread of its own
// gives the body a stack with nothing above it but the thread's start.
void on_fresh_stack(void (*body)()) {
  std::thread([body] {
    xCore_GC_SetStackTop(nullptr);
    body();
  }).join();
  xCore_GC_SetStackTop(nullptr);
}

class Gc : public ::testing::Test {
 protected:
  void SetUp() override {
    released().clear();
    ASSERT_NE(xCore_GC_Start(nullptr), nullptr);
  }
  void TearDown() override { xCore_GC_Stop(); }
};

// A collector test whose body runs on a fresh stack.
#define GC_TEST(name)                                  \
  void name##_body();                                  \
  TEST_F(Gc, name) { on_fresh_stack(name##_body); }    \
  void name##_body()

TEST_F(Gc, StartSwitchesTheSlotsAndStopPutsTheRuntimeBack) {
  xCoreGcState *s = state();
  EXPECT_EQ(slot(xCore.malloc), exported("xCore_GC_malloc"));
  EXPECT_EQ(slot(xCore.calloc), exported("xCore_GC_calloc"));
  EXPECT_EQ(slot(xCore.realloc), exported("xCore_GC_realloc"));
  EXPECT_EQ(slot(xCore.free), exported("xCore_GC_free"));
  EXPECT_EQ(xCore_GC_Start(nullptr), s) << "a second start changes nothing";
  auto *tib = reinterpret_cast<NT_TIB *>(NtCurrentTeb());
  EXPECT_EQ(xCore_GC_GetStackTop(), tib->StackBase) << "null bottom: the whole stack of this thread";
  int local = 0;
  EXPECT_EQ(xCore_GC_SetStackTop(&local), s);
  EXPECT_EQ(xCore_GC_GetStackTop(), &local);
  xCore_GC_SetStackTop(nullptr);
  xCore_GC_Stop();
  xCore_GC_Stop();
  EXPECT_EQ(xCore.GcHeap, nullptr);
  EXPECT_EQ(slot(xCore.free), exported("xCore_free"));
  EXPECT_NE(slot(xCore.malloc), exported("xCore_GC_malloc"));
}

GC_TEST(BlockHeldByALocalSurvivesTheFirstRegistrationsCollection) {
  char *p = static_cast<char *>(xCore_GC_malloc(16));
  ASSERT_TRUE(p);
  EXPECT_EQ(state()->mitems, 2u) << "the first registration collected (threshold 0 before)";
  std::strcpy(p, "alive");
  void *tracked = std::malloc(32);
  xCore_GC_Add(tracked, 32, 0, note_release);
  collect_clean();
  collect_clean();
  EXPECT_STREQ(p, "alive");
  EXPECT_TRUE(item_of(p));
  EXPECT_TRUE(item_of(tracked));
  EXPECT_TRUE(released().empty());
}

GC_TEST(UnreferencedBlockIsReleasedWithItsDtor) {
  uintptr_t gone = dropped_block();
  EXPECT_TRUE(registered(gone));
  collect_clean();
  EXPECT_EQ(times_released(gone), 1u);
  EXPECT_FALSE(registered(gone));
  EXPECT_EQ(state()->nitems, 0u);
}

GC_TEST(RootsKeepWhatTheyPointAtExactlyAndSurviveStop) {
  xCore_GC_Pause();  // nothing refers to the blocks until they are linked
  auto **root = static_cast<void **>(std::calloc(4, sizeof(void *)));
  ASSERT_EQ(xCore_GC_Add(root, 4 * sizeof(void *), XCORE_GC_ROOT, note_release), root);
  auto **leaf = static_cast<void **>(std::calloc(1, sizeof(void *)));
  xCore_GC_Add(leaf, sizeof(void *), XCORE_GC_ROOT | XCORE_GC_LEAF, note_release);
  uintptr_t kept = dropped_block(), middle = dropped_block(), behind_leaf = dropped_block();
  uintptr_t chained = dropped_block();
  link(&root[0], kept);
  link(&root[1], middle, 8);
  link(&leaf[0], behind_leaf);
  link(static_cast<void **>(reinterpret_cast<void *>(kept ^ kMask)), chained);
  root[2] = reinterpret_cast<void *>(uintptr_t{12345});  // not an address at all
  xCore_GC_Resume();

  collect_clean();
  EXPECT_EQ(times_released(kept), 0u);
  EXPECT_EQ(times_released(chained), 0u) << "reached through a kept block";
  EXPECT_EQ(times_released(middle), 1u) << "a pointer into the middle keeps nothing";
  EXPECT_EQ(times_released(behind_leaf), 1u) << "leaf blocks are not scanned";
  collect_clean();
  EXPECT_TRUE(item_of(root));
  EXPECT_TRUE(item_of(leaf));

  root[0] = nullptr;
  collect_clean();
  EXPECT_EQ(times_released(kept), 1u);
  EXPECT_EQ(times_released(chained), 1u);

  released().clear();  // addresses of released blocks may come back
  uintptr_t left_over = dropped_block();
  xCore_GC_Stop();
  EXPECT_EQ(times_released(left_over), 1u) << "stop releases every block but the roots";
  EXPECT_EQ(std::count(released().begin(), released().end(), reinterpret_cast<uintptr_t>(root) ^ kMask), 0);
  EXPECT_EQ(root[2], reinterpret_cast<void *>(uintptr_t{12345})) << "the root is still allocated";
  std::free(root);
  std::free(leaf);
}

TEST_F(Gc, RootsAreReleasedOnlyByGcFree) {
  void *root = xCore_GC_Add(std::malloc(8), 8, XCORE_GC_ROOT, note_release);
  uintptr_t masked = reinterpret_cast<uintptr_t>(root) ^ kMask;
  root = nullptr;
  collect_clean();
  EXPECT_TRUE(registered(masked));
  xCore_GC_free(reinterpret_cast<void *>(masked ^ kMask));
  EXPECT_EQ(times_released(masked), 1u);
  EXPECT_FALSE(registered(masked));
}

GC_TEST(LongChainsAreMarkedWithoutRecursion) {
  auto **root = static_cast<void **>(xCore_GC_Add(std::calloc(1, sizeof(void *)), sizeof(void *), XCORE_GC_ROOT, nullptr));
  for (int i = 0; i < 100000; ++i) {
    auto **block = static_cast<void **>(xCore_GC_malloc(sizeof(void *)));
    *block = *root;
    *root = block;
  }
  collect_clean();
  EXPECT_EQ(state()->nitems, 100001u);
  *root = nullptr;
  collect_clean();
  EXPECT_EQ(state()->nitems, 1u);
  xCore_GC_free(root);
}

GC_TEST(PauseDefersCollectionUntilTheNextRegistrationAfterResume) {
  xCore_GC_Pause();
  std::vector<uintptr_t> dropped;
  for (int i = 0; i < 100; ++i) dropped.push_back(dropped_block());
  EXPECT_TRUE(released().empty());
  EXPECT_EQ(state()->nslots, 197u) << "the first listed size for 101 / 0.9";
  xCore_GC_Resume();
  EXPECT_TRUE(released().empty()) << "resuming alone collects nothing";
  scrub_stack();
  dropped_block();
  for (size_t i = 0; i < dropped.size(); ++i) EXPECT_EQ(times_released(dropped[i]), 1u) << "block " << i;
  released().clear();  // addresses of released blocks may come back
  xCore_GC_Pause();
  uintptr_t gone = dropped_block();
  collect_clean();
  EXPECT_EQ(times_released(gone), 1u) << "an explicit run collects while paused";
}

TEST_F(Gc, AddingAndForgettingKeepEveryBlockFindable) {
  xCore_GC_Pause();
  std::vector<void *> blocks;
  for (int i = 0; i < 5000; ++i) blocks.push_back(xCore_GC_Add(std::malloc(16 + i % 7), 16, 0, note_release));
  void *again = blocks[17];
  EXPECT_EQ(xCore_GC_Add(again, 99, XCORE_GC_ROOT, nullptr), again);
  EXPECT_EQ(state()->nitems, 5000u) << "a second registration changes nothing";
  EXPECT_EQ(item_of(again)->flags, 0u);
  for (size_t i = 0; i < blocks.size(); i += 2) {
    xCore_GC_Remove(blocks[i]);
    std::free(blocks[i]);
  }
  EXPECT_EQ(state()->nitems, 2500u);
  EXPECT_EQ(state()->mitems, 2500u + 1250u + 1u);
  EXPECT_LT(state()->nslots, 5000u) << "the table shrank";
  for (size_t i = 1; i < blocks.size(); i += 2) xCore_GC_free(blocks[i]);
  EXPECT_EQ(released().size(), 2500u) << "every remaining block was found and released once";
  EXPECT_EQ(state()->nitems, 0u);
}

TEST_F(Gc, FreeOfUnregisteredAddressesIsIgnored) {
  int local = 0;
  void *mine = std::malloc(8);
  for (void *p : {static_cast<void *>(&local), static_cast<void *>(nullptr), mine,
                  const_cast<void *>(static_cast<const void *>(xCore.EmptyString))})
    xCore_GC_free(p);
  std::free(mine);
  xCore_GC_free(xCore_GC_Add(std::malloc(8), 8, 0, note_release));
  EXPECT_EQ(released().size(), 1u);
  EXPECT_EQ(state()->nitems, 0u);
}

TEST_F(Gc, ReallocInEveryCase) {
  xCore_GC_Pause();
  auto *fresh = static_cast<char *>(xCore_GC_realloc(nullptr, 16));
  ASSERT_TRUE(item_of(fresh));
  EXPECT_EQ(item_of(fresh)->size, 16u);

  auto *p = static_cast<char *>(xCore_GC_Add(std::malloc(64), 64, XCORE_GC_LEAF, note_release));
  std::strcpy(p, "kept across moves");
  auto *moved = static_cast<char *>(xCore_GC_realloc(p, 1 << 20));
  ASSERT_TRUE(moved);
  ASSERT_NE(moved, p) << "a 1 MiB block does not fit where 64 bytes were";
  EXPECT_FALSE(item_of(p));
  ASSERT_TRUE(item_of(moved));
  EXPECT_EQ(item_of(moved)->size, size_t{1} << 20);
  EXPECT_EQ(item_of(moved)->flags, static_cast<uint32_t>(XCORE_GC_LEAF));
  EXPECT_EQ(slot(item_of(moved)->dtor), slot(&note_release));
  EXPECT_STREQ(moved, "kept across moves");
  EXPECT_EQ(state()->nitems, 2u);

  // A failing reallocation leaves the block as it was, still registered.
  EXPECT_EQ(xCore_GC_realloc(moved, SIZE_MAX / 2), nullptr);
  ASSERT_TRUE(item_of(moved));
  EXPECT_STREQ(moved, "kept across moves");

  // An unregistered block comes back reallocated and stays unregistered.
  auto *mine = static_cast<char *>(std::malloc(8));
  std::strcpy(mine, "mine");
  auto *grown = static_cast<char *>(xCore_GC_realloc(mine, 4096));
  ASSERT_TRUE(grown);
  EXPECT_STREQ(grown, "mine");
  EXPECT_FALSE(item_of(grown));
  std::free(grown);

  // Size 0 releases a registered block.
  EXPECT_EQ(xCore_GC_realloc(moved, 0), nullptr);
  EXPECT_FALSE(item_of(moved));
  EXPECT_EQ(state()->nitems, 1u);
}

NOINLINE size_t drop_library_results(int count) {
  size_t peak = 0;
  for (int i = 0; i < count; ++i) {
    wchar_t *w = xCore_U2W("a library result the caller never releases", 0);
    w[0] = L'A';
    peak = std::max(peak, state()->nitems);
  }
  return peak;
}

GC_TEST(HundredThousandDroppedResultsAreReclaimed) {
  size_t peak = drop_library_results(100000);
  EXPECT_LT(peak, 16u) << "reclaimed while running, not only at the end";
  collect_clean();
  EXPECT_EQ(state()->nitems, 0u);
}

// The U form releases its wide temporary with xCore_free: only the result
// may stay registered.
NOINLINE void drop_system_paths(int count) {
  for (int i = 0; i < count; ++i) {
    size_t before = state()->nitems;
    char *u = xCore_SystemPathU(0x24);  // the Windows folder
    EXPECT_EQ(state()->nitems, before + 1);
    EXPECT_TRUE(item_of(u));
  }
}

GC_TEST(ResultsReleasedWithXCoreFreeAreForgotten) {
  xCore_GC_Pause();
  wchar_t *w = xCore_U2W("text", 0);
  ASSERT_TRUE(item_of(w));
  xCore_free(w);
  EXPECT_EQ(state()->nitems, 0u);
  drop_system_paths(50);
  EXPECT_EQ(state()->nitems, 50u);
  collect_clean();
  EXPECT_EQ(state()->nitems, 0u);
}

TEST_F(Gc, TableKeysAreNotTheCollectorsToRelease) {
  xTable *t = xTable_Create();
  for (int i = 0; i < 100; ++i) xTable_InsertA(t, std::string("key ").append(std::to_string(i)).c_str(), i);
  EXPECT_EQ(state()->nitems, 0u);
  collect_clean();
  EXPECT_EQ(xTable_GetValA(t, "key 42"), 42u);
  EXPECT_EQ(xTable_RemoveA(t, "key 42"), TARVO_TRUE);
  xTable_Destroy(t);
}

GC_TEST(ACollectionOnAnotherThreadReleasesNothing) {
  uintptr_t gone = dropped_block();
  scrub_stack();
  std::thread([] { xCore_GC_Run(); }).join();
  EXPECT_TRUE(registered(gone)) << "that thread cannot see this stack";
  collect_clean();
  EXPECT_EQ(times_released(gone), 1u);
}

TEST(GcNotRunning, ExportsAreSafeWithoutACollector) {
  ASSERT_EQ(xCore.GcHeap, nullptr);
  xCore_GC_Pause();
  xCore_GC_Resume();
  xCore_GC_Run();
  int local = 0;
  EXPECT_EQ(xCore_GC_SetStackTop(&local), nullptr);
  EXPECT_EQ(xCore_GC_GetStackTop(), nullptr);
  void *p = std::malloc(8);
  EXPECT_EQ(xCore_GC_Add(p, 8, XCORE_GC_ROOT, note_release), p) << "stays the caller's";
  xCore_GC_Remove(p);
  xCore_GC_free(p);  // ignored
  xCore_free(p);
  auto *c = static_cast<unsigned char *>(xCore_GC_calloc(4, 4));
  void *r = xCore_GC_realloc(xCore_GC_malloc(10), 1000);
  ASSERT_TRUE(c && r);
  EXPECT_EQ(std::count(c, c + 16, 0), 16);
  xCore_free(r);
  xCore_free(c);
  EXPECT_EQ(xCore.GcHeap, nullptr);
}

}  // namespace
