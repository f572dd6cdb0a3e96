// The collected heap. The scan is conservative: any word on the stack equal
// to a block's address keeps it. Blocks meant to die are made in helpers that
// are not inlined, their addresses are kept only xor-masked, and the dead
// stack below is zeroed before collecting.
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
template <class Slot> void *slot(Slot s) { return reinterpret_cast<void *>(s); }
// The library's own address of an export (the program's import thunks differ).
void *exported(const char *name) { return slot(GetProcAddress(GetModuleHandleW(L"tarvo.dll"), name)); }

std::vector<uintptr_t> released;  // masked addresses
uintptr_t masked(const void *p) { return reinterpret_cast<uintptr_t>(p) ^ kMask; }
void __cdecl note_release(void *p) { released.push_back(masked(p)); }
size_t times_released(uintptr_t m) { return std::count(released.begin(), released.end(), m); }

const xCoreGcItem *item_of(const void *p) {
  const xCoreGcState *s = state();
  for (size_t i = 0; s && i < s->nslots; ++i)
    if (s->items[i].hash && s->items[i].ptr == p) return &s->items[i];
  return nullptr;
}
NOINLINE bool registered(uintptr_t m) { return item_of(reinterpret_cast<void *>(m ^ kMask)) != nullptr; }

// A block nothing refers to once this returns.
NOINLINE uintptr_t dropped_block() {
  void *p = std::calloc(1, 64);
  xCore_GC_Add(p, 64, 0, note_release);
  return masked(p);
}
// Stores the masked block's address (plus an offset) into a slot.
NOINLINE void link(void **to, uintptr_t m, size_t offset = 0) { *to = reinterpret_cast<char *>(m ^ kMask) + offset; }

NOINLINE void scrub_stack() {
  volatile char junk[64 * 1024];
  for (size_t i = 0; i < sizeof junk; ++i) junk[i] = 0;
}
void collect_clean() {
  scrub_stack();
  xCore_GC_Run();
}

class Gc : public ::testing::Test {
 protected:
  void SetUp() override {
    released.clear();
    ASSERT_NE(xCore_GC_Start(nullptr), nullptr);
  }
  void TearDown() override { xCore_GC_Stop(); }
};

// A collector test whose body runs on a thread of its own: stale copies of
// freed addresses in the test runner's frames above a body could equal a
// block the test expects to die; a fresh stack has nothing above the body.
#define GC_TEST(name)                    \
  void name##_body();                    \
  TEST_F(Gc, name) {                     \
    std::thread([] {                     \
      xCore_GC_SetStackTop(nullptr);     \
      name##_body();                     \
    }).join();                           \
    xCore_GC_SetStackTop(nullptr);       \
  }                                      \
  void name##_body()

TEST_F(Gc, StartSwitchesTheSlotsStopPutsTheRuntimeBackAndTheExportsStaySafe) {
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
  xCore_GC_Stop();
  xCore_GC_Stop();
  EXPECT_TRUE(!xCore.GcHeap && slot(xCore.free) == exported("xCore_free"));
  EXPECT_NE(slot(xCore.malloc), exported("xCore_GC_malloc"));
  // Without a collector every export is harmless and nothing is registered.
  xCore_GC_Pause();
  xCore_GC_Resume();
  xCore_GC_Run();
  EXPECT_TRUE(!xCore_GC_SetStackTop(&local) && !xCore_GC_GetStackTop());
  void *p = xCore_GC_realloc(xCore_GC_calloc(4, 4), 1000);
  ASSERT_TRUE(p);
  EXPECT_EQ(xCore_GC_Add(p, 8, XCORE_GC_ROOT, note_release), p) << "stays the caller's";
  xCore_GC_Remove(p);
  xCore_GC_free(p);  // ignored
  xCore_free(xCore_GC_malloc(10));
  xCore_free(p);
  EXPECT_TRUE(!xCore.GcHeap && released.empty());
}

// The first registration collects (the threshold starts at 0) while the new
// block is only in the collector's callers' frames; only the collecting
// thread's stack is seen.
GC_TEST(TheStackKeepsItsBlocksAndOnlyTheCollectingThreadSeesIt) {
  char *p = static_cast<char *>(xCore_GC_malloc(16));
  ASSERT_TRUE(p);
  EXPECT_EQ(state()->mitems, 2u) << "the first registration collected";
  std::strcpy(p, "alive");
  uintptr_t gone = dropped_block();
  scrub_stack();
  std::thread([] { xCore_GC_Run(); }).join();
  EXPECT_TRUE(registered(gone)) << "that thread cannot see this stack";
  collect_clean();
  collect_clean();
  EXPECT_STREQ(p, "alive");
  EXPECT_TRUE(item_of(p));
  EXPECT_EQ(released, std::vector<uintptr_t>{gone});
}

GC_TEST(RootsKeepWhatTheyPointAtExactlyAndSurviveStop) {
  xCore_GC_Pause();  // nothing refers to the blocks until they are linked; explicit runs still collect
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
  collect_clean();
  EXPECT_EQ(times_released(kept) + times_released(chained), 0u) << "reached from a root, directly or not";
  EXPECT_EQ(times_released(middle), 1u) << "a pointer into the middle keeps nothing";
  EXPECT_FALSE(registered(middle)) << "a released block is forgotten";
  EXPECT_EQ(times_released(behind_leaf), 1u) << "leaf blocks are not scanned";
  collect_clean();
  EXPECT_TRUE(item_of(root) && item_of(leaf));
  root[0] = nullptr;
  collect_clean();
  EXPECT_EQ(times_released(kept) + times_released(chained), 2u);
  const uintptr_t leaf_m = masked(leaf);
  xCore_GC_free(leaf);
  EXPECT_EQ(times_released(leaf_m), 1u) << "a root is released by GC_free";
  EXPECT_FALSE(registered(leaf_m));
  released.clear();  // addresses of released blocks may come back
  uintptr_t left_over = dropped_block();
  xCore_GC_Stop();
  EXPECT_EQ(times_released(left_over), 1u) << "stop releases every block but the roots";
  EXPECT_EQ(times_released(masked(root)), 0u);
  EXPECT_EQ(root[2], reinterpret_cast<void *>(uintptr_t{12345})) << "the root is still allocated";
  std::free(root);
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

TEST_F(Gc, AddingAndForgettingKeepEveryBlockFindable) {
  xCore_GC_Pause();
  std::vector<void *> blocks;
  for (int i = 0; i < 5000; ++i) blocks.push_back(xCore_GC_Add(std::malloc(16 + i % 7), 16, 0, note_release));
  EXPECT_EQ(xCore_GC_Add(blocks[17], 99, XCORE_GC_ROOT, nullptr), blocks[17]);
  EXPECT_EQ(item_of(blocks[17])->flags, 0u) << "a second registration changes nothing";
  for (size_t i = 0; i < blocks.size(); i += 2) {
    xCore_GC_Remove(blocks[i]);
    std::free(blocks[i]);
  }
  EXPECT_EQ(state()->nitems, 2500u);
  EXPECT_LT(state()->nslots, 5000u) << "the table shrank";
  xCore_GC_Resume();
  EXPECT_TRUE(released.empty()) << "neither pausing nor resuming collects";
  for (size_t i = 1; i < blocks.size(); i += 2) xCore_GC_free(blocks[i]);
  EXPECT_EQ(released.size(), 2500u) << "every remaining block was found and released once";
  EXPECT_EQ(state()->nitems, 0u);
}

TEST_F(Gc, ReallocAndFreeInEveryCase) {
  xCore_GC_Pause();
  const xCoreGcItem *fresh = item_of(xCore_GC_realloc(nullptr, 16));
  ASSERT_TRUE(fresh && fresh->size == 16u);
  auto *p = static_cast<char *>(xCore_GC_Add(std::malloc(64), 64, XCORE_GC_LEAF, note_release));
  std::strcpy(p, "kept across moves");
  auto *moved = static_cast<char *>(xCore_GC_realloc(p, 1 << 20));
  ASSERT_TRUE(moved && moved != p) << "a 1 MiB block does not fit where 64 bytes were";
  EXPECT_FALSE(item_of(p));
  const xCoreGcItem *item = item_of(moved);
  ASSERT_TRUE(item);
  EXPECT_EQ(item->size, size_t{1} << 20);
  EXPECT_TRUE(item->flags == XCORE_GC_LEAF && slot(item->dtor) == slot(&note_release)) << "flags and dtor move along";
  EXPECT_STREQ(moved, "kept across moves");
  EXPECT_EQ(xCore_GC_realloc(moved, SIZE_MAX / 2), nullptr);
  ASSERT_TRUE(item_of(moved)) << "a failing reallocation leaves the block as it was";
  EXPECT_STREQ(moved, "kept across moves");
  void *grown = xCore_GC_realloc(std::malloc(8), 4096);
  EXPECT_TRUE(grown && !item_of(grown)) << "an unregistered block stays unregistered";
  EXPECT_EQ(xCore_GC_realloc(moved, 0), nullptr);
  EXPECT_FALSE(item_of(moved)) << "size 0 releases";
  int local = 0;
  for (void *q : std::initializer_list<void *>{&local, grown, const_cast<char *>(xCore.EmptyString), nullptr})
    xCore_GC_free(q);  // not registered: ignored
  std::free(grown);
  xCore_GC_free(xCore_GC_Add(std::malloc(8), 8, 0, note_release));
  EXPECT_EQ(released.size(), 1u) << "only the registered block";
  EXPECT_EQ(state()->nitems, 1u);
}

NOINLINE size_t drop_library_results(int count) {
  size_t peak = 0;
  for (int i = 0; i < count; ++i) {
    xCore_U2W("a library result the caller never releases", 0)[0] = L'A';
    peak = std::max(peak, state()->nitems);
  }
  return peak;
}
// The U form releases its wide temporary with xCore_free: only the result
// may stay registered.
NOINLINE void drop_system_paths(int count) {
  for (int i = 0; i < count; ++i) EXPECT_TRUE(item_of(xCore_SystemPathU(0x24)));  // the Windows folder
}

GC_TEST(LibraryResultsAreCollectedOrForgottenWhenReleased) {
  EXPECT_LT(drop_library_results(100000), 16u) << "reclaimed while running, not only at the end";
  collect_clean();
  EXPECT_EQ(state()->nitems, 0u);
  xCore_GC_Pause();
  wchar_t *w = xCore_U2W("text", 0);
  ASSERT_TRUE(item_of(w));
  xCore_free(w);
  EXPECT_EQ(state()->nitems, 0u);
  drop_system_paths(50);
  EXPECT_EQ(state()->nitems, 50u);
  collect_clean();
  EXPECT_EQ(state()->nitems, 0u);
  // Keys of a table are not the collector's to release.
  xTable *t = xTable_Create();
  for (int i = 0; i < 100; ++i) xTable_InsertA(t, ("key " + std::to_string(i)).c_str(), i);
  EXPECT_EQ(state()->nitems, 0u);
  collect_clean();
  EXPECT_EQ(xTable_GetValA(t, "key 42"), 42u);
  EXPECT_EQ(xTable_RemoveA(t, "key 42"), TARVO_TRUE);
  xTable_Destroy(t);
}

}  // namespace
