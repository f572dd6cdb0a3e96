// Walks an xTable and checks what every operation must leave behind: stored
// heights right, sibling heights at most one apart, the hash of every key,
// and the order (left: after, right: before) against the subtree bounds.
#pragma once

#include "xtable.h"

#include <gtest/gtest.h>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace tarvo::test {

template <class Char>
struct TableChecker {
  using Text = std::basic_string<Char>;
  size_t entries = 0;
  bool ok = true;

  static Text key_of(const xTableEntry *e) { return Text(static_cast<const Char *>(e->key)); }

  // Order of the tree: by hash, then by text (16-bit units for W: wchar_t
  // is unsigned 16-bit here, so std::basic_string compares the same way).
  static int compare(const xTableEntry *a, const xTableEntry *b) {
    if (a->hash != b->hash) return a->hash < b->hash ? -1 : 1;
    return key_of(a).compare(key_of(b));
  }

  int32_t walk(const xTableEntry *e, const xTableEntry *after, const xTableEntry *before) {
    if (!e) return 0;
    ++entries;
    Text key = key_of(e);
    if (e->hash != XXH64(key.data(), key.size() * sizeof(Char), 0)) fail("hash of the key");
    if (after && compare(e, after) <= 0) fail("entry not after its bound");
    if (before && compare(e, before) >= 0) fail("entry not before its bound");
    int32_t l = walk(e->left, e, before);
    int32_t r = walk(e->right, after, e);
    if (l - r > 1 || r - l > 1) fail("subtrees differ by more than one level");
    int32_t h = (l > r ? l : r) + 1;
    if (e->height != h) fail("stored height");
    return h;
  }

  void fail(const char *what) {
    if (ok) ADD_FAILURE() << "tree invariant broken: " << what;
    ok = false;
  }
};

// Number of entries, after checking every invariant.
template <class Char>
size_t checked_size(const xTable *t) {
  TableChecker<Char> checker;
  checker.walk(t->root, nullptr, nullptr);
  EXPECT_TRUE(checker.ok);
  return checker.entries;
}

}  // namespace tarvo::test
