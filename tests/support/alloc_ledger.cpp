#include "alloc_ledger.hpp"

// Released blocks are only forgotten, never read through.
#pragma GCC diagnostic ignored "-Wuse-after-free"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace tarvo::test {
namespace {

std::mutex g_lock;
std::unordered_map<uintptr_t, size_t> g_live;  // block -> bytes asked for
size_t g_allocated = 0;
void(__cdecl *g_real_free)(void *) = nullptr;

// A block of `bytes` handed out (counted, unless realloc moved it) or released.
void *note(void *p, size_t bytes, bool handed_out = true, bool counted = true) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (p && !handed_out) {
    g_live.erase(reinterpret_cast<uintptr_t>(p));
  } else if (p) {
    g_live[reinterpret_cast<uintptr_t>(p)] = bytes;
    g_allocated += counted;
  }
  return p;
}

void *__cdecl counting_malloc(size_t n) { return note(std::malloc(n), n); }
void *__cdecl counting_calloc(size_t c, size_t n) { return note(std::calloc(c, n), c * n); }
void *__cdecl counting_realloc(void *old, size_t n) {
  void *p = std::realloc(old, n);
  if (p || n == 0) note(old, 0, false);
  return note(p, n, true, false);
}
void __cdecl counting_free(void *p) {
  note(p, 0, false);
  g_real_free(p);
}

// The import slot of `function` from `dll_name` in `module`.
void **find_import(HMODULE module, const char *dll_name, const char *function) {
  auto *base = reinterpret_cast<unsigned char *>(module);
  auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + reinterpret_cast<IMAGE_DOS_HEADER *>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!dir.VirtualAddress) return nullptr;
  for (auto *d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + dir.VirtualAddress); d->Name; ++d) {
    if (_stricmp(reinterpret_cast<const char *>(base + d->Name), dll_name) != 0) continue;
    auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + d->OriginalFirstThunk);
    auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + d->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      if (std::strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData)->Name, function) == 0)
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
    : record_(record), free_slot_(find_import(library, "msvcrt.dll", "free")),
      saved_{reinterpret_cast<void *>(record->malloc), reinterpret_cast<void *>(record->calloc),
             reinterpret_cast<void *>(record->realloc), free_slot_ ? *free_slot_ : nullptr} {
  g_real_free = reinterpret_cast<void(__cdecl *)(void *)>(saved_[3]);
  if (free_slot_) patch(free_slot_, reinterpret_cast<void *>(counting_free));
  record->malloc = counting_malloc;
  record->calloc = counting_calloc;
  record->realloc = counting_realloc;
}

AllocationLedger::~AllocationLedger() {
  record_->malloc = reinterpret_cast<xCoreMallocFn>(saved_[0]);
  record_->calloc = reinterpret_cast<xCoreCallocFn>(saved_[1]);
  record_->realloc = reinterpret_cast<xCoreReallocFn>(saved_[2]);
  if (free_slot_) patch(free_slot_, saved_[3]);
  std::lock_guard<std::mutex> guard(g_lock);  // the next ledger starts from nothing
  g_live.clear();
  g_allocated = 0;
}

size_t AllocationLedger::live() const {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_live.size();
}

size_t AllocationLedger::block_size(const void *block) {
  std::lock_guard<std::mutex> guard(g_lock);
  const auto it = g_live.find(reinterpret_cast<uintptr_t>(block));
  return it == g_live.end() ? 0 : it->second;
}

size_t AllocationLedger::allocated() const {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_allocated;
}

namespace {
std::atomic<size_t> g_largest{0};
void *(__cdecl *g_real_realloc)(void *, size_t) = nullptr;
void *__cdecl noting_realloc(void *old, size_t n) {
  for (size_t seen = g_largest; n > seen && !g_largest.compare_exchange_weak(seen, n);) {
  }
  return g_real_realloc(old, n);
}
}  // namespace

LargestRealloc::LargestRealloc(HMODULE library)
    : slot_(find_import(library, "msvcrt.dll", "realloc")), saved_(slot_ ? *slot_ : nullptr) {
  g_largest = 0;
  g_real_realloc = reinterpret_cast<void *(__cdecl *)(void *, size_t)>(saved_);
  if (slot_) patch(slot_, reinterpret_cast<void *>(noting_realloc));
}

LargestRealloc::~LargestRealloc() {
  if (slot_) patch(slot_, saved_);
}

size_t LargestRealloc::largest() const { return g_largest; }

}  // namespace tarvo::test
