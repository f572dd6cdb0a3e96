// What the SAP tests share beside tests/support/member_test.hpp: a fixture
// holding an engine of the stand-in with the test screen (screen.txt).
#pragma once

#include "member_test.hpp"
#include "xsap.h"

namespace saptest {

using namespace membertest;

inline constexpr const char *kGrid = "wnd[0]/usr/cntlGRID/shell";

// A connection of its own on the engine, and its session.
struct Objects {
  xComObject engine = 0, connection = 0, session = 0;
  static Objects open(xComObject engine);
  void release();  // closes the connection
};

// The probe is an engine with the test screen.
class SapTest : public ProbedTest {
 protected:
  void SetUp() override;
  // What the GUI was made to do since the last call, one line each.
  std::wstring events();

  xComObject engine_ = 0;
};

}  // namespace saptest
