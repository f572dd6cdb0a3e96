#include "op_fixture.hpp"

namespace optest {

std::string unload_report() {
  wchar_t text[64] = L"";
  GetEnvironmentVariableW(L"TARVO_OP_STANDIN_UNLOADED", text, 64);
  return utf8(text);
}

void OpTest::SetUp() {
  LeakCheckedTest::SetUp();
  SetEnvironmentVariableW(L"TARVO_OP_STANDIN_UNLOADED", nullptr);
  ASSERT_EQ(GetModuleHandleW(kStandinDll), nullptr);
  h_ = OP_CreateObjectW(kStandinDll);
  ASSERT_NE(h_, nullptr);
  ASSERT_NE(h_->module, nullptr);
  script_.set("h", reinterpret_cast<xComObject>(h_));
  control().clear();
}

void OpTest::TearDown() {
  if (h_) {
    EXPECT_EQ(OP_ReleaseObject(h_), -1);
    EXPECT_EQ(GetModuleHandleW(kStandinDll), nullptr) << "the DLL stayed loaded";
    EXPECT_EQ(unload_report(), "live=0 factories=0") << "the DLL went before its objects";
  }
  LeakCheckedTest::TearDown();
}

void OpTest::answer(const wchar_t *member, const wchar_t *text) {
  EXPECT_EQ(disp::CallMethod(h_->object, L"._Answer(%S, %S)", member, text), S_OK);
}

void OpTest::set_dual(bool on) { EXPECT_EQ(disp::PutValue(h_->object, L"._Dual = %b", on), S_OK); }

}  // namespace optest
