// The keyed table: edges of every operation, and long random runs checked
// against std::map with the tree's invariants verified after each step.
#include "alloc_counter.hpp"
#include "xtable.h"

#include <gtest/gtest.h>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
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
  EXPECT_TRUE(!after || compare(e, after) > 0) << "entry not after its bound";
  EXPECT_TRUE(!before || compare(e, before) < 0) << "entry not before its bound";
  int32_t l = check<Char>(e->left, e, before, entries), r = check<Char>(e->right, after, e, entries);
  EXPECT_LE(std::abs(l - r), 1) << "subtrees differ by more than one level";
  EXPECT_EQ(e->height, std::max(l, r) + 1) << "stored height";
  return std::max(l, r) + 1;
}
template <class Char>
size_t checked_size(const xTable *t) {
  size_t entries = 0;
  check<Char>(t->root, nullptr, nullptr, entries);
  return entries;
}

struct TableDeleter {
  void operator()(xTable *t) const { xTable_Destroy(t); }
};
using TablePtr = std::unique_ptr<xTable, TableDeleter>;

// Every key copy must be released by Remove and Destroy.
class Table : public tarvo::test::LeakCheckedTest {};

TEST_F(Table, KeysAreCopiedAndOfOneFormPerTable) {
  TablePtr t(xTable_Create());
  char key[] = "ab";
  xTableEntry *e = xTable_InsertA(t.get(), key, 0xFEDCBA9876543210ull);
  ASSERT_TRUE(e);
  key[0] = 'A';
  EXPECT_EQ(xTable_GetValA(t.get(), "ab"), 0xFEDCBA9876543210ull);
  EXPECT_EQ(xTable_SearchA(t.get(), key), nullptr);
  EXPECT_EQ(xTable_SetValA(t.get(), "ab", 1), e) << "SetVal keeps the entry";
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
  // Null tables and keys.
  EXPECT_FALSE(xTable_InsertA(nullptr, "a", 1) || xTable_InsertA(t.get(), nullptr, 1) ||
               xTable_InsertW(t.get(), nullptr, 1) || xTable_SearchA(nullptr, "a") ||
               xTable_SearchW(t.get(), nullptr) || xTable_GetValA(t.get(), nullptr) ||
               xTable_SetValW(nullptr, L"a", 1) || xTable_RemoveA(t.get(), nullptr) ||
               xTable_RemoveW(nullptr, L"a") || xTable_Scan(nullptr, nullptr) || xTable_Scan(t.get(), nullptr));
  xTable_Destroy(nullptr);
  EXPECT_EQ(xTable_GetValW(t.get(), L"w"), 2u);
}

std::vector<xTableEntry *> g_visited;
int32_t visit(xTableEntry *e) {
  g_visited.push_back(e);
  return 1;
}

TEST_F(Table, ScanVisitsChildrenBeforeTheirParentOncePerEntry) {
  TablePtr t(xTable_Create());
  for (int i = 0; i < 200; ++i) xTable_InsertA(t.get(), std::string("k").append(std::to_string(i)).c_str(), i);
  g_visited.clear();
  EXPECT_EQ(xTable_Scan(t.get(), visit), 0);
  ASSERT_EQ(g_visited.size(), 200u);
  std::set<xTableEntry *> seen;
  auto pos = [](xTableEntry *x) { return std::find(g_visited.begin(), g_visited.end(), x); };
  for (xTableEntry *e : g_visited) {
    EXPECT_TRUE((!e->left || seen.count(e->left)) && (!e->right || seen.count(e->right)));
    if (e->left && e->right) {
      EXPECT_LT(pos(e->left), pos(e->right)) << "the left subtree comes first";
    }
    EXPECT_TRUE(seen.insert(e).second);
  }
  EXPECT_EQ(g_visited.back(), t->root);
}

// Keys of the pool: every 50th beyond ASCII (the 0th empty), the rest plain.
template <class Char>
std::basic_string<Char> key_text(int n) {
  if constexpr (sizeof(Char) == 1) {
    if (n % 50 == 0) return n ? std::string("\xE4\xBD\xA0").append(std::to_string(n)) : std::string();
    return std::string("key-").append(std::to_string(n));
  } else {
    if (n % 50 == 0) return n ? L"\u4F60\U0001F600" + std::to_wstring(n) : std::wstring();
    return L"key-" + std::to_wstring(n);
  }
}

// Each operation of the table in the key's form.
#define TABLE_OP(op) \
  [](auto *t, const auto *k, auto... v) { if constexpr (sizeof(*k) == 1) return xTable_##op##A(t, k, v...); else return xTable_##op##W(t, k, v...); }

// Every operation on a pool of keys small enough to hit present and absent
// keys alike; after each step the tree matches the model exactly.
template <class Char>
void run_against_model(tarvo::test::AllocationLedger &counter, uint32_t seed) {
  using Text = std::basic_string<Char>;
  auto insert = TABLE_OP(Insert), search = TABLE_OP(Search), get = TABLE_OP(GetVal), set = TABLE_OP(SetVal),
       remove = TABLE_OP(Remove);
  TablePtr t(xTable_Create());
  std::map<Text, uint64_t> model;
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> pick_key(0, 299), pick_op(0, 9);
  for (int step = 0; step < 4000; ++step) {
    Text key = key_text<Char>(pick_key(rng));
    uint64_t value = (static_cast<uint64_t>(rng()) << 32) | rng();
    bool present = model.count(key) != 0;
    switch (int op = pick_op(rng); op) {
      case 0: case 1: case 2:
        ASSERT_EQ(insert(t.get(), key.c_str(), value) != nullptr, !present) << "step " << step;
        if (!present) model[key] = value;
        break;
      case 3: case 4: {
        xTableEntry *e = set(t.get(), key.c_str(), value);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->value, value);
        model[key] = value;
        break;
      }
      case 5: case 6: case 7:
        ASSERT_EQ(remove(t.get(), key.c_str()), present ? TARVO_TRUE : 0) << "step " << step;
        model.erase(key);
        break;
      default: {
        xTableEntry *e = search(t.get(), key.c_str());
        ASSERT_EQ(e != nullptr, present);
        if (e) {
          EXPECT_EQ(Text(static_cast<const Char *>(e->key)), key);
        }
        EXPECT_EQ(get(t.get(), key.c_str()), present ? model[key] : 0u);
      }
    }
    ASSERT_EQ(checked_size<Char>(t.get()), model.size()) << "step " << step;
    if (step % 97 == 0 || step == 3999) {
      for (const auto &[k, v] : model) ASSERT_EQ(get(t.get(), k.c_str()), v);
    }
  }
  // Every key but the empty one is a copy of the library's: the fixture then
  // proves that Destroy released them all.
  EXPECT_EQ(counter.live(), model.size() - model.count(Text()));
}

TEST_F(Table, RandomOperationsMatchAMap) {
  run_against_model<char>(counter(), 1);
  run_against_model<wchar_t>(counter(), 2);
}

}  // namespace
