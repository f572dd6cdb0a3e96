#include "sap_fixture.hpp"

namespace saptest {

Objects Objects::open(xComObject engine) {
  Objects o;
  o.engine = engine;
  o.connection = SAP_OpenConnectW(engine, L"TEST");
  o.session = SAP_Children(o.connection, 0);
  EXPECT_TRUE(o.connection && o.session);
  return o;
}

void Objects::release() {
  if (session) reinterpret_cast<IDispatch *>(session)->Release();
  if (connection) {
    SAP_Conn_Close(connection);
    reinterpret_cast<IDispatch *>(connection)->Release();
  }
  *this = {};
}

void SapTest::SetUp() {
  LeakCheckedTest::SetUp();
  engine_ = SAP_Create();
  ASSERT_TRUE(take_probe(engine_)) << "is the stand-in scripting engine registered?";
  ASSERT_EQ(disp::CallMethod(reinterpret_cast<IDispatch *>(engine_), L"._LoadScreen(%S)", L"" SAP_SCREEN_FILE), S_OK);
  events();
}

std::wstring SapTest::events() {
  tarvo::com::Bstr text;
  EXPECT_EQ(disp::GetValue(L"%S", text.put(), reinterpret_cast<IDispatch *>(engine_), L"._Events"), S_OK);
  return text.c_str();
}

}  // namespace saptest
