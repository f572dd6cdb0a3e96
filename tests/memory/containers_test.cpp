// The keyed table, element arrays and byte buffers.
#include "alloc_counter.hpp"
#include "xmm.h"
#include "xtable.h"

#include <gtest/gtest.h>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Walks the tree: stored heights right, sibling heights at most one apart,
// the hash of every key, and the order (by hash, then by text in 16-bit
// units for W) against the subtree bounds. Returns the height.
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

std::vector<xTableEntry *> g_visited;
int32_t visit(xTableEntry *e) {
  g_visited.push_back(e);
  return 1;
}

TEST_F(Table, ScanVisitsChildrenBeforeTheirParentOncePerEntry) {
  xTable *t = xTable_Create();
  for (int i = 0; i < 200; ++i) xTable_InsertA(t, std::string("k").append(std::to_string(i)).c_str(), i);
  g_visited.clear();
  EXPECT_EQ(xTable_Scan(t, visit), 0);
  std::set<xTableEntry *> seen;
  for (xTableEntry *e : g_visited) {
    EXPECT_TRUE((!e->left || seen.count(e->left)) && (!e->right || seen.count(e->right)));
    EXPECT_TRUE(seen.insert(e).second);
  }
  EXPECT_EQ(seen.size(), 200u);
  EXPECT_EQ(g_visited.back(), t->root);
  xTable_Destroy(t);
}

// Keys of the pool: every 50th beyond ASCII (the 0th empty), the rest plain;
// and the operations in the keys' form.
template <class Char>
std::basic_string<Char> key_text(int n) {
  if constexpr (sizeof(Char) == 1)
    return n % 50 ? "key-" + std::to_string(n) : n ? "\xE4\xBD\xA0" + std::to_string(n) : std::string();
  else
    return n % 50 ? L"key-" + std::to_wstring(n) : n ? L"\u4F60\U0001F600" + std::to_wstring(n) : std::wstring();
}
template <class Char>
auto operations() {
  if constexpr (sizeof(Char) == 1)
    return std::make_tuple(xTable_InsertA, xTable_SearchA, xTable_GetValA, xTable_SetValA, xTable_RemoveA);
  else
    return std::make_tuple(xTable_InsertW, xTable_SearchW, xTable_GetValW, xTable_SetValW, xTable_RemoveW);
}

// Every operation on a pool of keys small enough to hit present and absent
// keys alike; after each step the tree matches the model exactly.
template <class Char>
void run_against_model(tarvo::test::AllocationLedger &counter, uint32_t seed) {
  using Text = std::basic_string<Char>;
  auto [insert, search, get, set, remove] = operations<Char>();
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
      ASSERT_EQ(e ? Text(static_cast<const Char *>(e->key)) : Text(), present ? key : Text()) << "step " << step;
      EXPECT_EQ(get(t, key.c_str()), present ? model[key] : 0u);
    }
    size_t entries = 0;
    check<Char>(t->root, nullptr, nullptr, entries);
    ASSERT_EQ(entries, model.size()) << "step " << step;
  }
  for (const auto &[k, v] : model) ASSERT_EQ(get(t, k.c_str()), v);
  // Every key but the empty one is a copy of the library's: the fixture then
  // proves that Destroy released them all.
  EXPECT_EQ(counter.live(), model.size() - model.count(Text()));
  xTable_Destroy(t);
}

TEST_F(Table, RandomOperationsMatchAMap) {
  run_against_model<char>(counter(), 1);
  run_against_model<wchar_t>(counter(), 2);
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

TEST(Smm, GrowsInWholeStepsBeyondTheNeed) {
  SMM *a = SMM_Create(4, 0);
  EXPECT_EQ(SMM_Append(a, 1), 1u);
  EXPECT_EQ(a->capacity, 33u);
  void *first = a->data;
  for (uint32_t i = 2; i <= 33; ++i) EXPECT_EQ(SMM_Append(a, 0), i);
  EXPECT_EQ(a->data, first) << "no reallocation inside a step";
  SMM_Append(a, 1);
  EXPECT_EQ(a->capacity, 66u);
  EXPECT_EQ(SMM_Append(a, 5), 35u) << "index of the first new element";
  SMM_Destroy(a);
  a = SMM_Create(16, 7);
  SMM_Append(a, 3);
  SMM_ReInit(a);
  EXPECT_TRUE(!a->data && !a->capacity && a->element_size == 16u && a->step == 7u);
  EXPECT_EQ(SMM_Append(a, 1), 1u);
  EXPECT_EQ(a->capacity, 8u);
  SMM_Destroy(a);
}

TEST(Smm, InsertDeleteSwapAndMallocMoveTheElements) {
  SMM *a = with_values({10, 20, 30});
  EXPECT_EQ(SMM_Insert(a, 0, 1), 1u);
  at(a, 1) = 5;
  EXPECT_EQ(SMM_Insert(a, 99, 2), 5u) << "past the end appends";
  EXPECT_EQ(SMM_Delete(a, 5, 2), -1);
  EXPECT_EQ(SMM_Delete(a, 2, 1), -1);
  EXPECT_EQ(SMM_Swap(a, 2, 2), -1);
  EXPECT_EQ(SMM_Swap(a, 1, 3), -1);
  EXPECT_EQ(values(a), (Ints{30, 20, 5}));
  EXPECT_EQ(SMM_Malloc(a, 100), -1);
  EXPECT_EQ(a->capacity, 100u);
  EXPECT_EQ(SMM_Delete(a, 2, 10), -1) << "past the end cuts";
  EXPECT_EQ(values(a), (Ints{30}));
  SMM_Destroy(a);
  a = with_values({1, 2, 3, 4, 5});
  EXPECT_EQ(SMM_Malloc(a, 3), -1);
  EXPECT_EQ(values(a), (Ints{1, 2, 3})) << "shrinking below the count cuts it";
  for (uint32_t bad : {0u, 4u}) {
    EXPECT_EQ(SMM_GetPtr(a, bad), nullptr) << bad;
    EXPECT_EQ(SMM_Swap(a, bad, 1), 0) << bad;
    EXPECT_EQ(SMM_Delete(a, bad, 1), 0) << bad;
  }
  EXPECT_EQ(SMM_Delete(a, 1, 0), 0);
  EXPECT_EQ(SMM_Malloc(a, 0xFFFFFFFFu), 0) << "beyond 4 GiB of elements";
  EXPECT_EQ(values(a), (Ints{1, 2, 3}));
  EXPECT_EQ(SMM_Malloc(a, 0), -1);
  EXPECT_TRUE(!a->data && !a->count);
  EXPECT_TRUE(!SMM_Create(0, 5) && !SMM_Append(nullptr, 1) && !SMM_GetPtr(nullptr, 1) && !SMM_Delete(nullptr, 1, 1));
  SMM_Destroy(nullptr);
  SMM_Destroy(a);
}

TEST(Mbm, GrowsWithTerminatorsAndRefusesWhatCannotBe) {
  MBM *b = MBM_Create(0, 0);
  EXPECT_EQ(MBM_Append(b, "abc", 0, 1), -1);
  EXPECT_EQ(MBM_Insert(b, 1, "x", 0, 1), -1);
  EXPECT_EQ(b->length, 2u);
  EXPECT_STREQ(static_cast<const char *>(b->data), "ax") << "a terminated insert ends the text";
  EXPECT_EQ(MBM_Malloc(b, 1), -1);
  EXPECT_TRUE(b->length == 1u && std::memcmp(b->data, "a", 1) == 0);
  EXPECT_EQ(MBM_Malloc(b, 0), -1);
  EXPECT_EQ(b->data, nullptr);
  EXPECT_EQ(MBM_Append(b, "z", 1, 1), -1);
  EXPECT_EQ(b->capacity, 2u + 4096u);
  EXPECT_EQ(MBM_Append(b, "a", 1, 3), 0) << "terminator width above 2";
  EXPECT_EQ(MBM_Append(b, nullptr, 5, 0), 0);
  EXPECT_EQ(MBM_Append(nullptr, "a", 1, 0), 0);
  EXPECT_EQ(MBM_Insert(b, 0xFFFFFFF0u, "abcdefghijklmnopq", 17, 0), 0) << "beyond 4 GiB";
  EXPECT_STREQ(static_cast<const char *>(b->data), "z");
  MBM_ReInit(b);
  EXPECT_TRUE(!b->data && !b->capacity);
  MBM_Destroy(b);
  b = MBM_Create(0, 16);
  EXPECT_EQ(MBM_Append(b, L"hi", 0, 2), -1) << "wide length and terminator";
  EXPECT_EQ(b->length, 4u);
  EXPECT_EQ(std::wcscmp(static_cast<const wchar_t *>(b->data), L"hi"), 0);
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
