#include "alloc_counter.hpp"

namespace tarvo::test {

AllocationCounter::AllocationCounter() : ledger_(&xCore, GetModuleHandleW(L"tarvo.dll")) {
  if (!ledger_.watches_free()) ADD_FAILURE() << "the library's import of free was not found";
}

size_t AllocationCounter::live() const { return ledger_.live(); }
size_t AllocationCounter::allocated() const { return ledger_.allocated(); }
bool AllocationCounter::tracks(const void *p) const { return ledger_.tracks(p); }

}  // namespace tarvo::test
