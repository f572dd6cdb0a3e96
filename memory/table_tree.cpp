#include "table_tree.hpp"

namespace tarvo::table {
namespace {

// -1: the probe orders after the entry (go left), +1: before it (go right).
int order(const xTableEntry *entry, const Probe &probe) {
  if (entry->hash < probe.hash) return -1;
  if (entry->hash > probe.hash) return 1;
  int c = probe.compare_text(entry->key, probe.key);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int32_t height(const xTableEntry *e) { return e ? e->height : 0; }

void fix_height(xTableEntry *e) {
  int32_t l = height(e->left), r = height(e->right);
  e->height = (l > r ? l : r) + 1;
}

// The `Heavy` subtree is two levels taller than the other: a single
// rotation when its outer child is at least as tall as its inner one, else a
// double rotation through the inner child. Returns the subtree's new top.
template <xTableEntry *xTableEntry::*Heavy, xTableEntry *xTableEntry::*Light>
xTableEntry *rotate(xTableEntry *e) {
  xTableEntry *child = e->*Heavy;
  xTableEntry *inner = child->*Light;
  if (child->*Heavy && height(child->*Heavy) >= height(inner)) {
    e->*Heavy = inner;
    child->*Light = e;
    fix_height(e);
    fix_height(child);
    return child;
  }
  e->*Heavy = inner->*Light;
  child->*Light = inner->*Heavy;
  inner->*Light = e;
  inner->*Heavy = child;
  fix_height(e);
  fix_height(child);
  fix_height(inner);
  return inner;
}

struct Path {
  xTableEntry **links[kMaxPath];
  int depth = 0;
  bool push(xTableEntry **link) {
    if (depth == kMaxPath) return false;
    links[depth++] = link;
    return true;
  }
};

// From the deepest recorded link up. Stops at the first balanced entry whose
// height did not change: nothing above it can have changed either.
void rebalance(Path &path) {
  for (int i = path.depth - 1; i >= 0; --i) {
    xTableEntry **link = path.links[i];
    xTableEntry *e = *link;
    int32_t l = height(e->left), r = height(e->right);
    if (r - l >= 2) {
      *link = rotate<&xTableEntry::right, &xTableEntry::left>(e);
    } else if (l - r >= 2) {
      *link = rotate<&xTableEntry::left, &xTableEntry::right>(e);
    } else {
      int32_t h = (l > r ? l : r) + 1;
      if (h == e->height) return;
      e->height = h;
    }
  }
}

xTableEntry **child_link(xTableEntry *e, int side) { return side < 0 ? &e->left : &e->right; }

}  // namespace

xTableEntry *find(xTableEntry *e, const Probe &probe) {
  while (e) {
    int c = order(e, probe);
    if (c == 0) return e;
    e = *child_link(e, c);
  }
  return nullptr;
}

bool attach(xTableEntry **root, xTableEntry *entry, const Probe &probe) {
  Path path;
  xTableEntry **link = root;
  while (*link) {
    int c = order(*link, probe);
    if (c == 0 || !path.push(link)) return false;
    link = child_link(*link, c);
  }
  entry->left = entry->right = nullptr;
  entry->height = 1;
  *link = entry;
  rebalance(path);
  return true;
}

xTableEntry *detach(xTableEntry **root, const Probe &probe) {
  Path path;
  xTableEntry **link = root;
  for (;;) {
    if (!*link || !path.push(link)) return nullptr;
    int c = order(*link, probe);
    if (c == 0) break;
    link = child_link(*link, c);
  }
  xTableEntry *gone = *link;
  int at = path.depth - 1;
  if (!gone->left) {
    // Its right subtree takes its place unchanged; rebalancing starts above.
    *link = gone->right;
    path.depth = at;
  } else {
    // The neighbour in order: from the left child, right while possible.
    xTableEntry **next = &gone->left;
    while ((*next)->right) {
      if (!path.push(next)) return nullptr;
      next = &(*next)->right;
    }
    xTableEntry *n = *next;
    *next = n->left;
    n->left = gone->left;
    n->right = gone->right;
    n->height = gone->height;
    *link = n;
    if (path.depth > at + 1) path.links[at + 1] = &n->left;
  }
  rebalance(path);
  return gone;
}

}  // namespace tarvo::table
