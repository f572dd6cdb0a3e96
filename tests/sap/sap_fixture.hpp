// What the SAP tests share beside tests/support/member_test.hpp: a fixture
// holding an engine of the stand-in with the test screen (screen.txt).
#pragma once

#include "member_test.hpp"
#include "xsap.h"

#include <utility>
#include <vector>

namespace saptest {

using namespace membertest;

// A connection of its own on the engine, and its session.
struct Objects {
  xComObject engine = 0, connection = 0, session = 0;
  static Objects open(xComObject engine) {
    Objects o{engine, SAP_OpenConnectW(engine, L"TEST")};
    o.session = SAP_Children(o.connection, 0);
    EXPECT_TRUE(o.connection && o.session);
    return o;
  }
  std::vector<std::pair<const char *, xComObject>> globals() const {
    return {{"engine", engine}, {"connection", connection}, {"session", session}};
  }
  void release() {  // closes the connection
    if (session) reinterpret_cast<IDispatch *>(session)->Release();
    if (connection) SAP_Conn_Close(connection);
    if (connection) reinterpret_cast<IDispatch *>(connection)->Release();
    *this = {};
  }
};

// The probe is an engine with the test screen; o_ a connection of the test's.
class SapTest : public ProbedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    engine_ = SAP_Create();
    ASSERT_TRUE(take_probe(engine_)) << "is the stand-in scripting engine registered?";
    ASSERT_EQ(disp::CallMethod(engine(), L"._LoadScreen(%S)", L"" SAP_SCREEN_FILE), S_OK);
    o_ = open();
    script_.set("s", o_.session);
    events();
    control().clear();
  }
  void TearDown() override {
    o_.release();
    ProbedTest::TearDown();
  }
  IDispatch *engine() { return reinterpret_cast<IDispatch *>(engine_); }
  Objects open() { return Objects::open(engine_); }
  // What the GUI was made to do since the last call, one line each.
  std::wstring events() {
    tarvo::com::Bstr text;
    EXPECT_EQ(disp::GetValue(L"%S", text.put(), engine(), L"._Events"), S_OK);
    return text.c_str();
  }

  xComObject engine_ = 0;
  Objects o_;
};

}  // namespace saptest
