#include "gc_collect.hpp"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace tarvo::gc {
namespace {

// Marking and release run user dtors; a dtor that allocates must not start a
// nested collection over the half-walked release list.
bool g_collecting = false;

struct CollectingScope {
  CollectingScope() { g_collecting = true; }
  ~CollectingScope() { g_collecting = false; }
};

using Word = uintptr_t;

// The thread's information block: its stack range.
const NT_TIB *thread_block() {
  const NT_TIB *tib;
#ifdef _WIN64
  asm("movq %%gs:0x30, %0" : "=r"(tib));
#else
  asm("movl %%fs:0x18, %0" : "=r"(tib));
#endif
  return tib;
}

Word load_word(const unsigned char *at) {
  Word w;
  std::memcpy(&w, at, sizeof w);
  return w;
}

// Blocks still to be scanned. Kept in a list instead of recursing, so that
// a long chain of blocks cannot exhaust the stack; the first entries sit in
// the list itself, the rest on the C runtime heap. When it cannot grow the
// mark is incomplete and the sweep is skipped: nothing live is lost.
class Pending {
 public:
  // Zeroed: this list lies in the scanned stack, and what an earlier
  // collection left in it would otherwise keep dead blocks alive.
  Pending() { std::memset(local_, 0, sizeof local_); }
  Pending(const Pending &) = delete;
  Pending &operator=(const Pending &) = delete;
  ~Pending() {
    if (blocks_ != local_) std::free(blocks_);
  }
  void push(const Item &item) {
    if (count_ == capacity_ && !grow()) {
      overflowed_ = true;
      return;
    }
    blocks_[count_++] = {static_cast<const unsigned char *>(item.ptr), item.size};
  }
  bool pop(const unsigned char *&start, size_t &size) {
    if (count_ == 0) return false;
    --count_;
    start = blocks_[count_].start;
    size = blocks_[count_].size;
    return true;
  }
  bool overflowed() const { return overflowed_; }

 private:
  struct Block {
    const unsigned char *start;
    size_t size;
  };
  static constexpr size_t kLocal = 16;
  bool grow() {
    size_t want = capacity_ * 8;
    auto *more = static_cast<Block *>(std::malloc(want * sizeof(Block)));
    if (!more) return false;
    std::memcpy(more, blocks_, count_ * sizeof(Block));
    if (blocks_ != local_) std::free(blocks_);
    blocks_ = more;
    capacity_ = want;
    return true;
  }
  Block local_[kLocal];
  Block *blocks_ = local_;
  size_t count_ = 0;
  size_t capacity_ = kLocal;
  bool overflowed_ = false;
};

struct Marker {
  explicit Marker(State &state) : s(state) {}
  State &s;
  Pending pending;
  bool saw_stack = false;

  void mark_item(Item &item) {
    item.flags |= XCORE_GC_MARK;
    if (!(item.flags & XCORE_GC_LEAF)) pending.push(item);
  }

  // For a word within [minptr, maxptr]: the scans test the bounds themselves,
  // held in locals (they do not change while marking) so that they stay in
  // registers instead of being reloaded per word.
  void mark_word(Word v) {
    Item *item = find(s, v);
    if (item && !(item->flags & XCORE_GC_MARK)) mark_item(*item);
  }

  void mark_range(const unsigned char *start, size_t size) {
    const Word lo = s.minptr, hi = s.maxptr;
    for (size_t n = size / sizeof(Word); n; --n, start += sizeof(Word)) {
      Word v = load_word(start);
      if (v >= lo && v <= hi) mark_word(v);
    }
  }

  void drain() {
    const unsigned char *start;
    size_t size;
    while (pending.pop(start, size)) mark_range(start, size);
  }

  void mark_roots() {
    for (size_t i = 0; i < s.nslots; ++i) {
      Item &item = s.items[i];
      if (item.hash && (item.flags & XCORE_GC_ROOT) && !(item.flags & XCORE_GC_MARK)) mark_item(item);
    }
    drain();
  }
};

// Runs in a frame of its own below the caller's saved registers, so the scan
// from here up covers them. Only the part of the range inside this thread's
// committed stack is read: a bottom that belongs to another thread's stack
// (or to nothing) means this thread cannot see the registering thread's
// references, and the collection must not sweep.
__attribute__((noinline)) void scan_stack(Marker &m) {
  volatile Word here = 0;
  auto top = reinterpret_cast<uintptr_t>(&here);
  auto bottom = reinterpret_cast<uintptr_t>(m.s.bottom);
  const NT_TIB *tib = thread_block();
  auto limit = reinterpret_cast<uintptr_t>(tib->StackLimit);
  auto base = reinterpret_cast<uintptr_t>(tib->StackBase);
  if (bottom < limit || bottom > base) return;
  uintptr_t lo = top < bottom ? top : bottom;
  uintptr_t hi = top < bottom ? bottom : top;  // the word at the far end is read too
  lo = (lo + sizeof(Word) - 1) & ~static_cast<uintptr_t>(sizeof(Word) - 1);
  uintptr_t end = hi <= base - sizeof(Word) ? hi + sizeof(Word) : base;
  const Word min = m.s.minptr, max = m.s.maxptr;
  for (uintptr_t at = lo; at + sizeof(Word) <= end; at += sizeof(Word)) {
    Word v = *reinterpret_cast<const volatile Word *>(at);
    if (v >= min && v <= max) m.mark_word(v);
  }
  m.saw_stack = true;
}

void (*volatile g_scan_stack)(Marker &) = scan_stack;

// The registers a called function must preserve: a caller's pointer may
// live only there. Stored into a buffer in the collecting frame, the way a
// set-jump buffer holds them, but without a call into the runtime (whose
// setjmp takes locks under some of them).
struct alignas(16) RegisterBuffer {
  unsigned char bytes[256];
};

inline void save_registers(RegisterBuffer &b) {
#ifdef _WIN64
  asm volatile(
      "movq %%rbx, 0(%0)\n\t"
      "movq %%rbp, 8(%0)\n\t"
      "movq %%rdi, 16(%0)\n\t"
      "movq %%rsi, 24(%0)\n\t"
      "movq %%r12, 32(%0)\n\t"
      "movq %%r13, 40(%0)\n\t"
      "movq %%r14, 48(%0)\n\t"
      "movq %%r15, 56(%0)\n\t"
      "movdqa %%xmm6, 64(%0)\n\t"
      "movdqa %%xmm7, 80(%0)\n\t"
      "movdqa %%xmm8, 96(%0)\n\t"
      "movdqa %%xmm9, 112(%0)\n\t"
      "movdqa %%xmm10, 128(%0)\n\t"
      "movdqa %%xmm11, 144(%0)\n\t"
      "movdqa %%xmm12, 160(%0)\n\t"
      "movdqa %%xmm13, 176(%0)\n\t"
      "movdqa %%xmm14, 192(%0)\n\t"
      "movdqa %%xmm15, 208(%0)\n\t"
      :
      : "r"(b.bytes)
      : "memory");
#else
  asm volatile(
      "movl %%ebx, 0(%0)\n\t"
      "movl %%ebp, 4(%0)\n\t"
      "movl %%edi, 8(%0)\n\t"
      "movl %%esi, 12(%0)\n\t"
      :
      : "r"(b.bytes)
      : "memory");
#endif
}

__attribute__((noinline)) bool mark(State &s) {
  if (s.nitems == 0) return true;
  Marker m(s);
  m.mark_roots();
  RegisterBuffer registers;
  std::memset(&registers, 0, sizeof registers);
  save_registers(registers);
  g_scan_stack(m);
  m.drain();
  // Keep the buffer alive up to here.
  asm volatile("" : : "r"(&registers) : "memory");
  return m.saw_stack && !m.pending.overflowed();
}

void clear_marks(State &s) {
  for (size_t i = 0; i < s.nslots; ++i) s.items[i].flags &= ~static_cast<uint32_t>(XCORE_GC_MARK);
}

bool doomed(const Item &item) { return item.hash && !(item.flags & (XCORE_GC_MARK | XCORE_GC_ROOT)); }

// Pulls the doomed items out of the table into `frees`; false when the list
// cannot be allocated (nothing is released then).
bool collect_doomed(State &s) {
  size_t count = 0;
  for (size_t i = 0; i < s.nslots; ++i) count += doomed(s.items[i]);
  if (count == 0) return true;
  Item *frees = acquire_frees(s, count);
  if (!frees) return false;
  s.frees = frees;
  s.nfrees = 0;
  for (size_t i = 0; i < s.nslots;) {
    if (!doomed(s.items[i]) || s.nfrees == count) {
      ++i;
      continue;
    }
    s.frees[s.nfrees++] = s.items[i];
    erase_slot(s, i);
    s.nitems -= 1;  // the same slot now holds the next item: look again
  }
  return true;
}

// A dtor may release (and so forget) another block of the list: its entry
// is cleared then and skipped here.
void release_doomed(State &s) {
  for (size_t i = 0; i < s.nfrees; ++i) {
    Item item = s.frees[i];
    if (!item.ptr) continue;
    if (item.dtor) item.dtor(item.ptr);
    std::free(item.ptr);
  }
  release_frees(s, s.frees);
  s.frees = nullptr;
  s.nfrees = 0;
}

void sweep_unmarked(State &s) {
  if (s.nitems == 0) return;
  bool collected = collect_doomed(s);
  clear_marks(s);
  if (!collected) return;
  shrink_to_fit(s);
  s.mitems = s.nitems + static_cast<size_t>(static_cast<double>(s.nitems) * s.sweepfactor) + 1;
  release_doomed(s);
}

// The registration that triggers a collection has just run the table code
// in the stack the marking frames are about to take: the items it moved
// about would be left in their unused slots and keep dead blocks alive.
__attribute__((noinline)) void clear_dead_stack() {
  volatile Word dead[128];
  for (auto &w : dead) w = 0;
}

void (*volatile g_clear_dead_stack)() = clear_dead_stack;

}  // namespace

void collect(State &s) {
  if (g_collecting) return;
  CollectingScope scope;
  g_clear_dead_stack();
  if (mark(s))
    sweep_unmarked(s);
  else
    clear_marks(s);
}

void sweep(State &s) {
  if (g_collecting) return;
  CollectingScope scope;
  sweep_unmarked(s);
}

bool collecting() { return g_collecting; }

void *thread_stack_base() { return thread_block()->StackBase; }

}  // namespace tarvo::gc
