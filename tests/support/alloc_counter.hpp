// Base fixture of the C tests: every test must release every library result
// it received. `counter()` is the ledger of the library's allocations since
// the test began (see alloc_ledger.hpp).
#pragma once

#include "alloc_ledger.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace tarvo::test {

class LeakCheckedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ledger_ = std::make_unique<AllocationLedger>(&xCore, GetModuleHandleW(L"tarvo.dll"));
    ASSERT_TRUE(ledger_->watches_free()) << "the library's import of free was not found";
  }
  void TearDown() override {
    EXPECT_EQ(ledger_->live(), 0u) << "library results were not released";
    ledger_.reset();
  }
  AllocationLedger &counter() { return *ledger_; }

 private:
  std::unique_ptr<AllocationLedger> ledger_;
};

}  // namespace tarvo::test
