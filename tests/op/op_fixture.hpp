// What the desktop-automation tests share: a stand-in object made from its
// DLL file for every test, its control members, and the proof at the end of
// every test that its interface went before its module and nothing of the
// library was left behind.
#pragma once

#include "alloc_counter.hpp"
#include "member_test.hpp"  // Script, Control, describe, utf8
#include "xop.h"

namespace optest {

using membertest::Control;
using membertest::describe;
using membertest::Script;
using membertest::utf8;
namespace disp = tarvo::disp;

constexpr const wchar_t *kStandinDll = L"tarvo_op_standin.dll";

inline xComObject object_of(OpObject *h) { return reinterpret_cast<xComObject>(h ? h->object : nullptr); }

// What the stand-in DLL left in the environment when it was unloaded
// ("" while it has not been).
std::string unload_report();

// A script result that is the argument-count error.
inline bool count_error(const std::string &result) {
  return result.starts_with("error: ") && result.ends_with("param count error !");
}

class OpTest : public tarvo::test::LeakCheckedTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  Control control() { return Control(object_of(h_)); }
  // The object's scripted answer to a member (text or integer).
  void answer(const wchar_t *member, const wchar_t *text);
  void set_dual(bool on);

  OpObject *h_ = nullptr;
  Script script_;
};

}  // namespace optest
