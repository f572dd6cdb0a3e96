// Counts the library's allocations: the record's malloc/calloc/realloc slots
// are replaced by counting versions, and the library's import of the C
// runtime's free is redirected, so xCore_free and the slot's free are both
// seen. `live()` is the number of blocks allocated through the slots since
// the counter was installed and not released since.
#pragma once

#include "alloc_ledger.hpp"

#include <gtest/gtest.h>

#include <cstddef>

namespace tarvo::test {

class AllocationCounter {
 public:
  AllocationCounter();
  AllocationCounter(const AllocationCounter &) = delete;
  AllocationCounter &operator=(const AllocationCounter &) = delete;

  size_t live() const;       // blocks still held
  size_t allocated() const;  // blocks handed out in all
  bool tracks(const void *p) const;

 private:
  AllocationLedger ledger_;
};

// Base fixture: every test must release every result it received.
class LeakCheckedTest : public ::testing::Test {
 protected:
  void SetUp() override { counter_ = new AllocationCounter(); }
  void TearDown() override {
    EXPECT_EQ(counter_->live(), 0u) << "library results were not released";
    delete counter_;
    counter_ = nullptr;
  }
  AllocationCounter &counter() { return *counter_; }

 private:
  AllocationCounter *counter_ = nullptr;
};

}  // namespace tarvo::test
