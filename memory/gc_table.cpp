#include "gc_table.hpp"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace tarvo::gc {
namespace {

// When every block dies, each sweep shrinks the table to one slot and the
// next registrations grow it again: tables up to this size and short
// release lists live beside the state instead of in fresh allocations.
constexpr size_t kSmallSlots = 23;
constexpr size_t kSmallFrees = 32;

struct Heap {
  State state;  // first: xCore.GcHeap points to it
  Item tables[2][kSmallSlots];
  Item frees[kSmallFrees];
};

Heap &heap_of(State &s) { return *reinterpret_cast<Heap *>(&s); }

bool is_inline(State &s, const Item *t) {
  Heap &h = heap_of(s);
  return t == h.tables[0] || t == h.tables[1] || t == h.frees;
}

// A zeroed table; the inline one not in use when it is small enough.
Item *acquire_table(State &s, size_t slots) {
  if (slots > kSmallSlots) return static_cast<Item *>(std::calloc(slots, sizeof(Item)));
  Heap &h = heap_of(s);
  Item *t = s.items == h.tables[0] ? h.tables[1] : h.tables[0];
  std::memset(t, 0, slots * sizeof(Item));
  return t;
}

void release_table(State &s, Item *t) {
  if (t && !is_inline(s, t)) std::free(t);
}

constexpr size_t kPrimes[] = {0,      1,      5,       11,      23,      53,      101,     197,
                              389,    683,    1259,    2417,    4733,    9371,    18617,   37097,
                              74093,  148073, 296099,  592019,  1100009, 2200013, 4400021, 8800019};
constexpr size_t kLastPrime = 8800019;

// Addresses from the allocator are 8-aligned: the low bits carry no spread.
size_t home_slot(uintptr_t address, size_t nslots) { return static_cast<size_t>(address >> 3) % nslots; }

size_t probe_distance(const State &s, size_t slot, size_t hash) {
  size_t home = hash - 1;
  return slot >= home ? slot - home : slot + s.nslots - home;
}

size_t next_slot(const State &s, size_t slot) { return slot + 1 == s.nslots ? 0 : slot + 1; }

}  // namespace

State *create_state(void *bottom) {
  auto *h = static_cast<Heap *>(std::calloc(1, sizeof(Heap)));
  if (!h) return nullptr;
  State &s = h->state;
  s.bottom = bottom;
  s.minptr = UINTPTR_MAX;
  s.loadfactor = 0.9;
  s.sweepfactor = 0.5;
  return &s;
}

void destroy_state(State *s) {
  release_table(*s, s->items);
  if (s->frees) release_frees(*s, s->frees);
  std::free(&heap_of(*s));
}

Item *acquire_frees(State &s, size_t count) {
  if (count <= kSmallFrees) return heap_of(s).frees;
  return static_cast<Item *>(std::malloc(count * sizeof(Item)));
}

void release_frees(State &s, Item *frees) {
  if (frees && !is_inline(s, frees)) std::free(frees);
}

size_t ideal_size(const State &s, size_t n) {
  size_t target = static_cast<size_t>(static_cast<double>(n + 1) / s.loadfactor);
  for (size_t p : kPrimes)
    if (p >= target) return p;
  return (target + kLastPrime - 1) / kLastPrime * kLastPrime;
}

void place(State &s, Item item) {
  size_t slot = home_slot(reinterpret_cast<uintptr_t>(item.ptr), s.nslots);
  item.hash = slot + 1;
  for (size_t distance = 0;; ++distance) {
    Item &occupant = s.items[slot];
    if (occupant.hash == 0) {
      occupant = item;
      return;
    }
    if (occupant.ptr == item.ptr) return;
    size_t theirs = probe_distance(s, slot, occupant.hash);
    if (theirs <= distance) {
      std::swap(item, occupant);
      distance = theirs;
    }
    slot = next_slot(s, slot);
  }
}

bool resize(State &s, size_t slots) {
  if (slots == s.nslots) return true;
  Item *fresh = acquire_table(s, slots);
  if (!fresh) return false;
  Item *old = s.items;
  size_t old_slots = s.nslots;
  s.items = fresh;
  s.nslots = slots;
  for (size_t i = 0; i < old_slots; ++i)
    if (old[i].hash) place(s, old[i]);
  release_table(s, old);
  return true;
}

bool reserve_one_more(State &s) {
  size_t want = ideal_size(s, s.nitems + 1);
  return want <= s.nslots || resize(s, want);
}

void shrink_to_fit(State &s) {
  size_t want = ideal_size(s, s.nitems);
  if (want < s.nslots) resize(s, want);
}

Item *find(const State &s, uintptr_t address) {
  if (s.nslots == 0) return nullptr;
  size_t slot = home_slot(address, s.nslots);
  for (size_t steps = 0;; ++steps) {
    Item &occupant = s.items[slot];
    if (occupant.hash == 0 || steps > probe_distance(s, slot, occupant.hash)) return nullptr;
    if (reinterpret_cast<uintptr_t>(occupant.ptr) == address) return &occupant;
    slot = next_slot(s, slot);
  }
}

void erase_slot(State &s, size_t slot) {
  s.items[slot] = Item{};
  for (size_t next = next_slot(s, slot); s.items[next].hash && probe_distance(s, next, s.items[next].hash) != 0;
       next = next_slot(s, next)) {
    s.items[slot] = s.items[next];
    s.items[next] = Item{};
    slot = next;
  }
}

bool forget(State &s, void *p) {
  for (size_t i = 0; i < s.nfrees; ++i)
    if (s.frees[i].ptr == p) s.frees[i].ptr = nullptr;
  Item *item = find(s, reinterpret_cast<uintptr_t>(p));
  if (!item) return false;
  erase_slot(s, static_cast<size_t>(item - s.items));
  s.nitems -= 1;
  shrink_to_fit(s);
  s.mitems = s.nitems + s.nitems / 2 + 1;
  return true;
}

}  // namespace tarvo::gc
