#include "alloc_ledger.hpp"

// The ledger keeps addresses of released blocks only to forget them, never
// to read through them.
#pragma GCC diagnostic ignored "-Wuse-after-free"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_set>

namespace tarvo::test {
namespace {

struct Ledger {
  std::mutex lock;
  std::unordered_set<uintptr_t> live;  // addresses only: never read through
  size_t allocated = 0;
  bool active = false;
};

Ledger &ledger() {
  static Ledger l;
  return l;
}

// A block handed out (counted, or moved by realloc) or released.
void note(uintptr_t p, bool handed_out, bool counted = true) {
  if (!p) return;
  Ledger &l = ledger();
  std::lock_guard<std::mutex> g(l.lock);
  if (!handed_out) {
    l.live.erase(p);
  } else if (l.active) {
    l.live.insert(p);
    l.allocated += counted;
  }
}

using FreeFn = void(__cdecl *)(void *);
FreeFn g_real_free = nullptr;

void *__cdecl counting_malloc(size_t n) {
  void *p = std::malloc(n);
  note(reinterpret_cast<uintptr_t>(p), true);
  return p;
}
void *__cdecl counting_calloc(size_t c, size_t n) {
  void *p = std::calloc(c, n);
  note(reinterpret_cast<uintptr_t>(p), true);
  return p;
}
void *__cdecl counting_realloc(void *old, size_t n) {
  const auto was = reinterpret_cast<uintptr_t>(old);
  void *p = std::realloc(old, n);
  if (p || n == 0) note(was, false);
  note(reinterpret_cast<uintptr_t>(p), true, false);
  return p;
}
void __cdecl counting_free(void *p) {
  note(reinterpret_cast<uintptr_t>(p), false);
  g_real_free(p);
}

// Finds the import slot of `function` from `dll_name` in `module`.
void **find_import(HMODULE module, const char *dll_name, const char *function) {
  auto *base = reinterpret_cast<unsigned char *>(module);
  auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
  auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!dir.VirtualAddress) return nullptr;
  for (auto *d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + dir.VirtualAddress); d->Name; ++d) {
    if (_stricmp(reinterpret_cast<const char *>(base + d->Name), dll_name) != 0) continue;
    auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + d->OriginalFirstThunk);
    auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + d->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto *by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char *>(by_name->Name), function) == 0)
        return reinterpret_cast<void **>(&slots->u1.Function);
    }
  }
  return nullptr;
}

void patch(void **slot, void *value) {
  DWORD old;
  VirtualProtect(slot, sizeof(void *), PAGE_READWRITE, &old);
  *slot = value;
  VirtualProtect(slot, sizeof(void *), old, &old);
}

}  // namespace

AllocationLedger::AllocationLedger(xCoreRecord *record, HMODULE library)
    : record_(record), free_slot_(find_import(library, "msvcrt.dll", "free")) {
  saved_[0] = reinterpret_cast<void *>(record->malloc);
  saved_[1] = reinterpret_cast<void *>(record->calloc);
  saved_[2] = reinterpret_cast<void *>(record->realloc);
  saved_[3] = nullptr;
  {
    Ledger &l = ledger();
    std::lock_guard<std::mutex> g(l.lock);
    l.live.clear();
    l.allocated = 0;
    l.active = true;
  }
  if (free_slot_) {
    saved_[3] = *free_slot_;
    g_real_free = reinterpret_cast<FreeFn>(*free_slot_);
    patch(free_slot_, reinterpret_cast<void *>(counting_free));
  }
  record->malloc = counting_malloc;
  record->calloc = counting_calloc;
  record->realloc = counting_realloc;
}

AllocationLedger::~AllocationLedger() {
  record_->malloc = reinterpret_cast<xCoreMallocFn>(saved_[0]);
  record_->calloc = reinterpret_cast<xCoreCallocFn>(saved_[1]);
  record_->realloc = reinterpret_cast<xCoreReallocFn>(saved_[2]);
  if (free_slot_) patch(free_slot_, saved_[3]);
  Ledger &l = ledger();
  std::lock_guard<std::mutex> g(l.lock);
  l.active = false;
  l.live.clear();
}

size_t AllocationLedger::live() const {
  Ledger &l = ledger();
  std::lock_guard<std::mutex> g(l.lock);
  return l.live.size();
}

size_t AllocationLedger::allocated() const {
  Ledger &l = ledger();
  std::lock_guard<std::mutex> g(l.lock);
  return l.allocated;
}

bool AllocationLedger::tracks(const void *p) const {
  Ledger &l = ledger();
  std::lock_guard<std::mutex> g(l.lock);
  return l.live.count(reinterpret_cast<uintptr_t>(p)) != 0;
}

}  // namespace tarvo::test
