// The collected heap, the keyed table, element arrays and byte buffers. The heap's scan is
// conservative: any word on the stack equal to a block's address keeps it, so blocks meant to die
// are made in helpers that are not inlined, kept only xor-masked, and the dead stack is zeroed.
#include "alloc_counter.hpp"
#include "xgc.h"
#include "xmm.h"
#include "xstring.h"
#include "xtable.h"

#include <gtest/gtest.h>
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <thread>
#include <tuple>
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
void collect_clean() { scrub_stack(), xCore_GC_Run(); }

class Gc : public ::testing::Test {
 protected:
  void SetUp() override {
    released.clear();
    ASSERT_NE(xCore_GC_Start(nullptr), nullptr);
  }
  void TearDown() override { xCore_GC_Stop(); }
};

// A collector test whose body runs on a fresh thread: stale copies of freed addresses in the
// test runner's frames above the body could equal a block the test expects to die.
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
  EXPECT_TRUE(p && xCore_GC_Add(p, 8, XCORE_GC_ROOT, note_release) == p) << "stays the caller's";
  xCore_GC_Remove(p);
  xCore_GC_free(p);  // ignored
  xCore_free(p);
  EXPECT_TRUE(!xCore.GcHeap && released.empty());
}

// The first registration collects (the threshold starts at 0) while the new block is only in the
// collector's callers' frames; only the collecting thread's stack is seen.
GC_TEST(StacksAndRootsKeepWhatTheyPointAtExactlyAndRootsSurviveStop) {
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
  released.clear();
  xCore_GC_Pause();  // nothing refers to the blocks until they are linked; explicit runs still collect
  auto **root = static_cast<void **>(std::calloc(4, sizeof(void *)));
  ASSERT_EQ(xCore_GC_Add(root, 4 * sizeof(void *), XCORE_GC_ROOT, note_release), root);
  auto **leaf = static_cast<void **>(std::calloc(1, sizeof(void *)));
  xCore_GC_Add(leaf, sizeof(void *), XCORE_GC_ROOT | XCORE_GC_LEAF, note_release);
  uintptr_t kept = dropped_block(), middle = dropped_block(), behind_leaf = dropped_block(), chained = dropped_block();
  link(&root[0], kept);
  link(&root[1], middle, 8);
  link(&leaf[0], behind_leaf);
  link(static_cast<void **>(reinterpret_cast<void *>(kept ^ kMask)), chained);
  root[2] = reinterpret_cast<void *>(uintptr_t{12345});  // not an address at all
  collect_clean();
  EXPECT_EQ(times_released(kept) + times_released(chained), 0u) << "reached from a root, directly or not";
  EXPECT_TRUE(times_released(middle) == 1 && !registered(middle)) << "a pointer into the middle keeps nothing";
  EXPECT_EQ(times_released(behind_leaf), 1u) << "leaf blocks are not scanned";
  collect_clean();
  EXPECT_TRUE(item_of(root) && item_of(leaf));
  root[0] = nullptr;
  collect_clean();
  EXPECT_EQ(times_released(kept) + times_released(chained), 2u);
  const uintptr_t leaf_m = masked(leaf);
  xCore_GC_free(leaf);
  EXPECT_TRUE(times_released(leaf_m) == 1 && !registered(leaf_m)) << "a root is released by GC_free";
  released.clear();  // addresses of released blocks may come back
  uintptr_t left_over = dropped_block();
  xCore_GC_Stop();
  EXPECT_EQ(times_released(left_over), 1u) << "stop releases every block but the roots";
  EXPECT_TRUE(!times_released(masked(root)) && root[2] == reinterpret_cast<void *>(uintptr_t{12345})) << "a root stays";
  std::free(root);
}

GC_TEST(LongChainsAreMarkedWithoutRecursion) {
  auto **root = static_cast<void **>(std::calloc(1, sizeof(void *)));
  xCore_GC_Add(root, sizeof(void *), XCORE_GC_ROOT, nullptr);
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
  EXPECT_LT(state()->nslots, 1000u) << "the table shrank";
  xCore_GC_free(root);
  EXPECT_EQ(state()->nitems, 0u) << "still found after the mass removal";
}

TEST_F(Gc, ReallocAndFreeInEveryCase) {
  xCore_GC_Pause();
  const xCoreGcItem *fresh = item_of(xCore_GC_realloc(nullptr, 16));
  ASSERT_TRUE(fresh && fresh->size == 16u);
  auto *p = static_cast<char *>(xCore_GC_Add(std::malloc(64), 64, XCORE_GC_LEAF, note_release));
  EXPECT_EQ(xCore_GC_Add(p, 99, XCORE_GC_ROOT, nullptr), p) << "a second registration changes nothing";
  std::strcpy(p, "kept across moves");
  auto *moved = static_cast<char *>(xCore_GC_realloc(p, 1 << 20));
  ASSERT_TRUE(moved && moved != p) << "a 1 MiB block does not fit where 64 bytes were";
  EXPECT_FALSE(item_of(p));
  const xCoreGcItem *item = item_of(moved);
  ASSERT_TRUE(item && item->size == size_t{1} << 20);
  EXPECT_TRUE(item->flags == XCORE_GC_LEAF && slot(item->dtor) == slot(&note_release)) << "flags and dtor move along";
  EXPECT_STREQ(moved, "kept across moves");
  EXPECT_EQ(xCore_GC_realloc(moved, SIZE_MAX / 2), nullptr);
  ASSERT_TRUE(item_of(moved)) << "a failing reallocation leaves the block as it was";
  EXPECT_STREQ(moved, "kept across moves");
  void *grown = xCore_GC_realloc(std::malloc(8), 4096);
  EXPECT_TRUE(grown && !item_of(grown)) << "an unregistered block stays unregistered";
  EXPECT_TRUE(!xCore_GC_realloc(moved, 0) && !item_of(moved)) << "size 0 releases";
  int local = 0;
  for (void *q : std::initializer_list<void *>{&local, grown, const_cast<char *>(xCore.EmptyString), nullptr})
    xCore_GC_free(q);  // not registered: ignored
  std::free(grown);
  xCore_GC_free(xCore_GC_Add(std::malloc(8), 8, 0, note_release));
  EXPECT_EQ(released.size(), 1u) << "only the registered block";
  EXPECT_EQ(state()->nitems, 1u);
  xCore_GC_Resume();
  EXPECT_EQ(released.size(), 1u) << "resuming alone collects nothing";
}

NOINLINE size_t drop_library_results(int count) {
  size_t peak = 0;
  for (int i = 0; i < count; ++i) {
    xCore_U2W("a library result the caller never releases", 0)[0] = L'A';
    peak = std::max(peak, state()->nitems);
  }
  return peak;
}
// The U form releases its wide temporary with xCore_free: only the result may stay registered.
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
  drop_system_paths(50);
  EXPECT_EQ(state()->nitems, 50u) << "released results are forgotten";
  collect_clean();
  EXPECT_EQ(state()->nitems, 0u);
  // Keys of a table are not the collector's to release.
  xTable *t = xTable_Create();
  for (int i = 0; i < 100; ++i) xTable_InsertA(t, ("key " + std::to_string(i)).c_str(), i);
  EXPECT_EQ(state()->nitems, 0u);
  collect_clean();
  EXPECT_TRUE(xTable_GetValA(t, "key 42") == 42u && xTable_RemoveA(t, "key 42") == TARVO_TRUE);
  xTable_Destroy(t);
}

// Walks the keyed table's tree: heights stored and balanced, the hash of every key, and the order
// (by hash, then by text in 16-bit units for W) against the subtree bounds.
template <class Char>
int32_t check(const xTableEntry *e, const xTableEntry *after, const xTableEntry *before, size_t &entries) {
  if (!e) return 0;
  ++entries;
  using Text = std::basic_string<Char>;
  auto key = [](const xTableEntry *x) { return Text(static_cast<const Char *>(x->key)); };
  auto compare = [&](const xTableEntry *a, const xTableEntry *b) {
    return a->hash != b->hash ? (a->hash < b->hash ? -1 : 1) : key(a).compare(key(b));
  };
  const Text k = key(e);
  EXPECT_EQ(e->hash, XXH64(k.data(), k.size() * sizeof(Char), 0)) << "hash of the key";
  EXPECT_TRUE((!after || compare(e, after) > 0) && (!before || compare(e, before) < 0)) << "entry out of order";
  int32_t l = check<Char>(e->left, e, before, entries), r = check<Char>(e->right, after, e, entries);
  EXPECT_LE(std::abs(l - r), 1) << "subtrees differ by more than one level";
  EXPECT_EQ(e->height, std::max(l, r) + 1) << "stored height";
  return std::max(l, r) + 1;
}

// Every key copy must be released by Remove and Destroy.
class Table : public tarvo::test::LeakCheckedTest {};

TEST_F(Table, KeysAreCopiedAndOfOneFormPerTable) {
  xTable *t = xTable_Create();
  char key[] = "ab";
  xTableEntry *e = xTable_InsertA(t, key, 0xFEDCBA9876543210ull);
  ASSERT_TRUE(e);
  key[0] = 'A';
  EXPECT_EQ(xTable_GetValA(t, "ab"), 0xFEDCBA9876543210ull);
  EXPECT_EQ(xTable_SearchA(t, key), nullptr);
  EXPECT_EQ(xTable_SetValA(t, "ab", 1), e) << "SetVal keeps the entry";
  // Read as UTF-16, "ab" has no terminator within its three bytes.
  EXPECT_FALSE(xTable_SearchW(t, L"ab") || xTable_GetValW(t, L"ab") || xTable_InsertW(t, L"w", 2) ||
               xTable_SetValW(t, L"ab", 3) || xTable_RemoveW(t, L"ab"));
  EXPECT_EQ(xTable_GetValA(t, "ab"), 1u);
  EXPECT_EQ(xTable_RemoveA(t, "ab"), TARVO_TRUE);
  ASSERT_TRUE(xTable_InsertW(t, L"w", 2)) << "an emptied table takes either form";
  EXPECT_EQ(t->form, static_cast<uint32_t>(XTABLE_FORM_W));
  EXPECT_EQ(xTable_SearchA(t, "w"), nullptr);
  EXPECT_FALSE(xTable_InsertA(nullptr, "a", 1) || xTable_InsertA(t, nullptr, 1) || xTable_InsertW(t, nullptr, 1) ||
               xTable_SearchA(nullptr, "a") || xTable_SearchW(t, nullptr) || xTable_GetValA(t, nullptr) ||
               xTable_SetValW(nullptr, L"a", 1) || xTable_RemoveA(t, nullptr) || xTable_RemoveW(nullptr, L"a") ||
               xTable_Scan(nullptr, nullptr) || xTable_Scan(t, nullptr)) << "null tables and keys";
  xTable_Destroy(nullptr);
  EXPECT_EQ(xTable_GetValW(t, L"w"), 2u);
  xTable_Destroy(t);
}

// Scan's visiting order (children before their parent).
std::map<xTableEntry *, size_t> g_order;
int32_t visit(xTableEntry *e) {
  EXPECT_TRUE(g_order.emplace(e, g_order.size()).second) << "once per entry";
  return 1;
}

// Keys of the pool: every 50th beyond ASCII (the 0th empty), the rest plain.
template <class Char>
std::basic_string<Char> key_text(int n) {
  if constexpr (sizeof(Char) == 1)
    return n % 50 ? "key-" + std::to_string(n) : n ? "\xE4\xBD\xA0" + std::to_string(n) : std::string();
  else
    return n % 50 ? L"key-" + std::to_wstring(n) : n ? L"\u4F60\U0001F600" + std::to_wstring(n) : std::wstring();
}
// A pool of keys small enough to hit present and absent keys alike.
// `ops` are the table's insert, search, get, set and remove in the keys' form.
template <class Char, class Ops>
void run_against_model(tarvo::test::AllocationLedger &counter, uint32_t seed, Ops ops) {
  using Text = std::basic_string<Char>;
  auto [insert, search, get, set, remove] = ops;
  xTable *t = xTable_Create();
  std::map<Text, uint64_t> model;
  std::mt19937 rng(seed);
  for (int step = 0; step < 4000; ++step) {
    Text key = key_text<Char>(rng() % 300);
    uint64_t value = (static_cast<uint64_t>(rng()) << 32) | rng();
    bool present = model.count(key) != 0;
    if (int op = rng() % 10; op < 3) {
      ASSERT_EQ(insert(t, key.c_str(), value) != nullptr, !present) << "step " << step;
      model.emplace(key, value);
    } else if (op < 5) {
      xTableEntry *e = set(t, key.c_str(), value);
      ASSERT_TRUE(e && e->value == value) << "step " << step;
      model[key] = value;
    } else if (op < 8) {
      ASSERT_EQ(remove(t, key.c_str()), present ? TARVO_TRUE : 0) << "step " << step;
      model.erase(key);
    } else {
      xTableEntry *e = search(t, key.c_str());
      ASSERT_EQ(e != nullptr, present) << "step " << step;
      EXPECT_TRUE(!e || Text(static_cast<const Char *>(e->key)) == key);
      EXPECT_EQ(get(t, key.c_str()), present ? model[key] : 0u);
    }
    size_t entries = 0;
    check<Char>(t->root, nullptr, nullptr, entries);
    ASSERT_EQ(entries, model.size()) << "step " << step;
  }
  for (const auto &[k, v] : model) ASSERT_EQ(get(t, k.c_str()), v);
  g_order.clear();
  EXPECT_EQ(xTable_Scan(t, visit), 0);
  EXPECT_EQ(g_order.size(), model.size());
  for (const auto &[e, at] : g_order)
    EXPECT_TRUE((!e->left || g_order.at(e->left) < at) && (!e->right || g_order.at(e->right) < at)) << "children first";
  // Every key but the empty one is a copy of the library's, which Destroy must release.
  EXPECT_EQ(counter.live(), model.size() - model.count(Text()));
  xTable_Destroy(t);
}

TEST_F(Table, RandomOperationsMatchAMap) {
  auto a = std::make_tuple(xTable_InsertA, xTable_SearchA, xTable_GetValA, xTable_SetValA, xTable_RemoveA);
  auto w = std::make_tuple(xTable_InsertW, xTable_SearchW, xTable_GetValW, xTable_SetValW, xTable_RemoveW);
  run_against_model<char>(counter(), 1, a);
  run_against_model<wchar_t>(counter(), 2, w);
}

using Ints = std::vector<int>;
int &at(SMM *a, uint32_t i) { return *static_cast<int *>(SMM_GetPtr(a, i)); }
Ints values(SMM *a) {
  Ints v;
  for (uint32_t i = 1; i <= a->count; ++i) v.push_back(at(a, i));
  return v;
}
SMM *with_values(std::initializer_list<int> values) {
  SMM *a = SMM_Create(sizeof(int), 0);
  for (int v : values) at(a, SMM_Append(a, 1)) = v;
  return a;
}

TEST(Smm, GrowsInStepsEditsMoveTheElementsAndBadIndexesAreRefused) {
  SMM *a = with_values({10, 20, 30});
  EXPECT_EQ(a->capacity, 33u) << "the need plus the default step of 32";
  EXPECT_EQ(SMM_Insert(a, 0, 1), 1u);
  at(a, 1) = 5;
  EXPECT_EQ(SMM_Insert(a, 99, 2), 5u) << "past the end appends";
  EXPECT_TRUE(SMM_Delete(a, 5, 2) == -1 && SMM_Delete(a, 2, 1) == -1 && SMM_Swap(a, 2, 2) == -1 &&
              SMM_Swap(a, 1, 3) == -1);
  EXPECT_EQ(values(a), (Ints{30, 20, 5}));
  EXPECT_EQ(SMM_Delete(a, 2, 10), -1) << "past the end cuts";
  EXPECT_EQ(values(a), (Ints{30}));
  SMM_Destroy(a);
  a = with_values({1, 2, 3, 4, 5});
  EXPECT_EQ(SMM_Malloc(a, 3), -1);
  EXPECT_EQ(values(a), (Ints{1, 2, 3})) << "shrinking below the count cuts it";
  for (uint32_t bad : {0u, 4u})
    EXPECT_TRUE(!SMM_GetPtr(a, bad) && !SMM_Swap(a, bad, 1) && !SMM_Delete(a, bad, 1)) << bad;
  EXPECT_EQ(SMM_Delete(a, 1, 0), 0);
  EXPECT_EQ(SMM_Malloc(a, 0xFFFFFFFFu), 0) << "beyond 4 GiB of elements";
  EXPECT_EQ(values(a), (Ints{1, 2, 3}));
  EXPECT_EQ(SMM_Malloc(a, 0), -1);
  EXPECT_TRUE(!a->data && !a->count);
  SMM_Append(a, 1);
  SMM_ReInit(a);
  EXPECT_TRUE(!a->data && !a->capacity && !a->count && a->element_size == 4u && a->step == 32u);
  EXPECT_TRUE(!SMM_Create(0, 5) && !SMM_Append(nullptr, 1) && !SMM_GetPtr(nullptr, 1) && !SMM_Delete(nullptr, 1, 1));
  SMM_Destroy(nullptr);
  SMM_Destroy(a);
}

TEST(Mbm, GrowsWithTerminatorsAndRefusesWhatCannotBe) {
  MBM *b = MBM_Create(0, 0);
  EXPECT_TRUE(MBM_Append(b, "abc", 0, 1) == -1 && MBM_Insert(b, 1, "x", 0, 1) == -1);
  EXPECT_EQ(b->length, 2u);
  EXPECT_STREQ(static_cast<const char *>(b->data), "ax") << "a terminated insert ends the text";
  EXPECT_TRUE(MBM_Malloc(b, 1) == -1 && b->length == 1u && std::memcmp(b->data, "a", 1) == 0) << "cut to fit";
  EXPECT_TRUE(MBM_Malloc(b, 0) == -1 && !b->data);
  EXPECT_EQ(MBM_Append(b, "z", 1, 1), -1);
  EXPECT_EQ(b->capacity, 2u + 4096u);
  EXPECT_EQ(MBM_Append(b, "a", 1, 3), 0) << "terminator width above 2";
  EXPECT_FALSE(MBM_Append(b, nullptr, 5, 0) || MBM_Append(nullptr, "a", 1, 0));
  EXPECT_EQ(MBM_Insert(b, 0xFFFFFFF0u, "abcdefghijklmnopq", 17, 0), 0) << "beyond 4 GiB";
  EXPECT_STREQ(static_cast<const char *>(b->data), "z");
  MBM_ReInit(b);
  EXPECT_TRUE(!b->data && !b->capacity);
  MBM_Destroy(b);
  b = MBM_Create(0, 16);
  EXPECT_EQ(MBM_Append(b, L"hi", 0, 2), -1) << "wide length and terminator";
  EXPECT_TRUE(b->length == 4u && std::wcscmp(static_cast<const wchar_t *>(b->data), L"hi") == 0);
  EXPECT_EQ(b->capacity, 4u + 2u + 16u);
  MBM_Destroy(b);
  b = MBM_Create(10, 0x80000);
  EXPECT_EQ(MBM_Append(b, "0123456789", 10, 0), -1);
  EXPECT_EQ(b->capacity, 10u) << "exactly full without a terminator";
  EXPECT_EQ(MBM_Append(b, nullptr, 0, 1), -1) << "a terminator alone after a full buffer";
  EXPECT_EQ(b->capacity, 11u + 0x80000u);
  EXPECT_TRUE(static_cast<const char *>(b->data)[10] == 0 && b->length == 10u);
  MBM_Destroy(b);
  MBM_Destroy(nullptr);
}

}  // namespace
