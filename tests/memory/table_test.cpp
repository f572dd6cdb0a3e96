// The keyed table: edges of every operation, and long random runs checked
// against std::map with the tree's invariants verified after each step.
#include "alloc_counter.hpp"
#include "table_check.hpp"
#include "xtable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using tarvo::test::checked_size;

// (Written out: GCC 12 warns falsely about "literal" + std::string.)
std::string numbered(const char *prefix, int n) { return std::string(prefix).append(std::to_string(n)); }

struct TableDeleter {
  void operator()(xTable *t) const { xTable_Destroy(t); }
};
using TablePtr = std::unique_ptr<xTable, TableDeleter>;

// Every key copy must be released by Remove and Destroy.
class Table : public tarvo::test::LeakCheckedTest {};

TEST_F(Table, KeysAreCopiedAndSetValKeepsTheEntry) {
  TablePtr t(xTable_Create());
  char key[] = "mutable";
  xTableEntry *e = xTable_InsertA(t.get(), key, 0xFEDCBA9876543210ull);
  ASSERT_TRUE(e);
  key[0] = 'M';
  EXPECT_EQ(xTable_GetValA(t.get(), "mutable"), 0xFEDCBA9876543210ull);
  EXPECT_EQ(xTable_SearchA(t.get(), key), nullptr);
  EXPECT_EQ(xTable_SetValA(t.get(), "mutable", 9), e);
}

TEST_F(Table, KeysOfTheOtherFormFindAndInsertNothing) {
  TablePtr t(xTable_Create());
  ASSERT_TRUE(xTable_InsertA(t.get(), "ab", 1));
  // Read as UTF-16, "ab" has no terminator within its three bytes.
  EXPECT_EQ(xTable_SearchW(t.get(), L"ab"), nullptr);
  EXPECT_EQ(xTable_GetValW(t.get(), L"ab"), 0u);
  EXPECT_EQ(xTable_InsertW(t.get(), L"w", 2), nullptr);
  EXPECT_EQ(xTable_SetValW(t.get(), L"ab", 3), nullptr);
  EXPECT_EQ(xTable_RemoveW(t.get(), L"ab"), 0);
  EXPECT_EQ(xTable_GetValA(t.get(), "ab"), 1u);
  EXPECT_EQ(xTable_RemoveA(t.get(), "ab"), TARVO_TRUE);
  ASSERT_TRUE(xTable_InsertW(t.get(), L"w", 2)) << "an emptied table takes either form";
  EXPECT_EQ(t->form, static_cast<uint32_t>(XTABLE_FORM_W));
  EXPECT_EQ(xTable_SearchA(t.get(), "w"), nullptr);
}

TEST_F(Table, NullTableOrKeyGivesFailureValues) {
  TablePtr t(xTable_Create());
  EXPECT_EQ(xTable_InsertA(nullptr, "a", 1), nullptr);
  EXPECT_EQ(xTable_InsertA(t.get(), nullptr, 1), nullptr);
  EXPECT_EQ(xTable_InsertW(t.get(), nullptr, 1), nullptr);
  EXPECT_EQ(xTable_SearchA(nullptr, "a"), nullptr);
  EXPECT_EQ(xTable_SearchW(t.get(), nullptr), nullptr);
  EXPECT_EQ(xTable_GetValA(t.get(), nullptr), 0u);
  EXPECT_EQ(xTable_SetValW(nullptr, L"a", 1), nullptr);
  EXPECT_EQ(xTable_RemoveA(t.get(), nullptr), 0);
  EXPECT_EQ(xTable_RemoveW(nullptr, L"a"), 0);
  EXPECT_EQ(xTable_Scan(nullptr, nullptr), 0);
  EXPECT_EQ(xTable_Scan(t.get(), nullptr), 0);
  xTable_Destroy(nullptr);
  EXPECT_EQ(t->root, nullptr);
}

std::vector<xTableEntry *> g_visited;
int32_t visit(xTableEntry *e) {
  g_visited.push_back(e);
  return 1;
}

TEST_F(Table, ScanVisitsChildrenBeforeTheirParentOncePerEntry) {
  TablePtr t(xTable_Create());
  for (int i = 0; i < 200; ++i) xTable_InsertA(t.get(), numbered("k", i).c_str(), i);
  g_visited.clear();
  EXPECT_EQ(xTable_Scan(t.get(), visit), 0);
  ASSERT_EQ(g_visited.size(), 200u);
  std::set<xTableEntry *> seen;
  for (xTableEntry *e : g_visited) {
    EXPECT_TRUE(!e->left || seen.count(e->left));
    EXPECT_TRUE(!e->right || seen.count(e->right));
    if (e->left && e->right) {
      auto pos = [](xTableEntry *x) { return std::find(g_visited.begin(), g_visited.end(), x); };
      EXPECT_LT(pos(e->left), pos(e->right)) << "the left subtree comes first";
    }
    EXPECT_TRUE(seen.insert(e).second);
  }
  EXPECT_EQ(g_visited.back(), t->root);
}

template <class Char>
std::basic_string<Char> key_text(int n);
template <>
std::string key_text<char>(int n) {
  if (n % 50 == 0) return n ? numbered("\xE4\xBD\xA0", n) : std::string();
  return numbered("key-", n);
}
template <>
std::wstring key_text<wchar_t>(int n) {
  if (n % 50 == 0) return n ? L"\u4F60\U0001F600" + std::to_wstring(n) : std::wstring();
  return L"key-" + std::to_wstring(n);
}

struct NarrowOps {
  static xTableEntry *insert(xTable *t, const char *k, uint64_t v) { return xTable_InsertA(t, k, v); }
  static xTableEntry *search(xTable *t, const char *k) { return xTable_SearchA(t, k); }
  static uint64_t get(xTable *t, const char *k) { return xTable_GetValA(t, k); }
  static xTableEntry *set(xTable *t, const char *k, uint64_t v) { return xTable_SetValA(t, k, v); }
  static int32_t remove(xTable *t, const char *k) { return xTable_RemoveA(t, k); }
};
struct WideOps {
  static xTableEntry *insert(xTable *t, const wchar_t *k, uint64_t v) { return xTable_InsertW(t, k, v); }
  static xTableEntry *search(xTable *t, const wchar_t *k) { return xTable_SearchW(t, k); }
  static uint64_t get(xTable *t, const wchar_t *k) { return xTable_GetValW(t, k); }
  static xTableEntry *set(xTable *t, const wchar_t *k, uint64_t v) { return xTable_SetValW(t, k, v); }
  static int32_t remove(xTable *t, const wchar_t *k) { return xTable_RemoveW(t, k); }
};

// Every operation on a pool of keys small enough to hit present and absent
// keys alike; after each step the tree matches the model exactly.
template <class Char, class Ops>
void run_against_model(tarvo::test::AllocationLedger &counter, uint32_t seed) {
  using Text = std::basic_string<Char>;
  TablePtr t(xTable_Create());
  std::map<Text, uint64_t> model;
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> pick_key(0, 299), pick_op(0, 9);
  for (int step = 0; step < 4000; ++step) {
    Text key = key_text<Char>(pick_key(rng));
    uint64_t value = (static_cast<uint64_t>(rng()) << 32) | rng();
    bool present = model.count(key) != 0;
    switch (pick_op(rng)) {
      case 0: case 1: case 2: {
        xTableEntry *e = Ops::insert(t.get(), key.c_str(), value);
        ASSERT_EQ(e != nullptr, !present) << "step " << step;
        if (!present) model[key] = value;
        break;
      }
      case 3: case 4: {
        xTableEntry *e = Ops::set(t.get(), key.c_str(), value);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->value, value);
        model[key] = value;
        break;
      }
      case 5: case 6: case 7:
        ASSERT_EQ(Ops::remove(t.get(), key.c_str()), present ? TARVO_TRUE : 0) << "step " << step;
        model.erase(key);
        break;
      default: {
        xTableEntry *e = Ops::search(t.get(), key.c_str());
        ASSERT_EQ(e != nullptr, present);
        if (e) {
          EXPECT_EQ(Text(static_cast<const Char *>(e->key)), key);
        }
        EXPECT_EQ(Ops::get(t.get(), key.c_str()), present ? model[key] : 0u);
      }
    }
    ASSERT_EQ(checked_size<Char>(t.get()), model.size()) << "step " << step;
    if (step % 97 == 0) {
      for (const auto &[k, v] : model) ASSERT_EQ(Ops::get(t.get(), k.c_str()), v);
    }
  }
  for (const auto &[k, v] : model) ASSERT_EQ(Ops::get(t.get(), k.c_str()), v);
  // Every key but the empty one is a copy of the library's: the fixture then
  // proves that Destroy released them all.
  EXPECT_EQ(counter.live(), model.size() - model.count(Text()));
}

TEST_F(Table, RandomOperationsMatchAMap) {
  run_against_model<char, NarrowOps>(counter(), 1);
  run_against_model<wchar_t, WideOps>(counter(), 2);
}

}  // namespace
