// Base fixture of the C tests: each must release every library result it received (`counter()` has them all).
#pragma once
#include "alloc_ledger.hpp"

#include <gtest/gtest.h>
#include <optional>

namespace tarvo::test {

class LeakCheckedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ledger_.emplace(&xCore, GetModuleHandleW(L"tarvo.dll"));
    ASSERT_TRUE(ledger_->watches_free()) << "the library's import of free was not found";
  }
  void TearDown() override {
    EXPECT_EQ(ledger_->live(), 0u) << "library results were not released";
    ledger_.reset();
  }
  AllocationLedger &counter() { return *ledger_; }

 private:
  std::optional<AllocationLedger> ledger_;
};

}  // namespace tarvo::test
