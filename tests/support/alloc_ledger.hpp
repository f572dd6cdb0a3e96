// Counts the library's allocations without any test framework: the record's malloc/calloc/realloc slots are
// replaced by counting versions and the library's import of the C runtime's free is redirected, so xCore_free
// and the slot's free are both seen. For the C tests' leak check and lunrun's --count-allocations; one at a time.
#pragma once
#include "xcore.h"

#include <windows.h>
#include <cstddef>

namespace tarvo::test {

class AllocationLedger {
 public:
  AllocationLedger(xCoreRecord *record, HMODULE library);  // the library's xCore and module
  ~AllocationLedger();
  AllocationLedger(const AllocationLedger &) = delete;
  AllocationLedger &operator=(const AllocationLedger &) = delete;
  bool watches_free() const { return free_slot_ != nullptr; }  // false: the import was not found
  size_t live() const;       // blocks allocated since installation and still held
  size_t allocated() const;  // blocks handed out in all
  // The bytes asked for a block the library handed out and still holds; 0 when it is none of those.
  static size_t block_size(const void *block);

 private:
  xCoreRecord *record_;
  void **free_slot_;
  void *saved_[4];
};

// Notes the largest size the library asks the C runtime's realloc for (its containers' buffers) while it
// lives: the library's import of realloc is redirected. One at a time.
class LargestRealloc {
 public:
  explicit LargestRealloc(HMODULE library);
  ~LargestRealloc();
  LargestRealloc(const LargestRealloc &) = delete;
  LargestRealloc &operator=(const LargestRealloc &) = delete;
  bool watching() const { return slot_ != nullptr; }
  size_t largest() const;

 private:
  void **slot_;
  void *saved_;
};

}  // namespace tarvo::test
