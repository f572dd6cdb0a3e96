// The keyed table's tree: descent by (hash, text), insertion and removal
// along a recorded path of links, AVL rebalancing from the deepest link up.
#pragma once

#include "xtable.h"

#include <cstdint>

namespace tarvo::table {

// The deepest path an insertion or removal records.
inline constexpr int kMaxPath = 42;

// A key looked for: its hash is computed once per operation.
struct Probe {
  const void *key;
  uint64_t hash;
  int (*compare_text)(const void *stored, const void *probe);
};

xTableEntry *find(xTableEntry *root, const Probe &probe);

// Links a prepared entry (key, hash and value set) into the tree; false when
// the key is present or the path would pass kMaxPath links.
bool attach(xTableEntry **root, xTableEntry *entry, const Probe &probe);

// Unlinks the entry holding the key and returns it; null when absent (or past
// kMaxPath links, which no table that fits in memory reaches).
xTableEntry *detach(xTableEntry **root, const Probe &probe);

// Children before their parent: the `left` subtree, the `right` subtree, the
// entry. The visit may release the entry.
template <class Visit>
void post_order(xTableEntry *entry, Visit &visit) {
  if (!entry) return;
  xTableEntry *left = entry->left;
  xTableEntry *right = entry->right;
  post_order(left, visit);
  post_order(right, visit);
  visit(entry);
}

}  // namespace tarvo::table
