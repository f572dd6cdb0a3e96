// What the Excel tests share: the stand-in spreadsheet server's control
// members (journal, faults, live objects), a script state holding the
// module, and a fixture that proves at the end of every test that no library
// result and no automation object was left behind.
#pragma once

#include "alloc_counter.hpp"
#include "com_ref.hpp"
#include "disphelper.h"
#include "lua_api.hpp"
#include "xexcel.h"

#include <gtest/gtest.h>

#include <string>

namespace exceltest {

using tarvo::com::Ref;
namespace disp = tarvo::disp;

// Control members of a stand-in application, called through the test's own
// copy of the dispatch layer.
class Control {
 public:
  explicit Control(xComObject app) : app_(reinterpret_cast<IDispatch *>(app)) {}
  std::wstring journal();  // the lines since the last clear, then clears them
  void clear();
  void fault(const wchar_t *member, const wchar_t *mode, int32_t code = 0, int32_t nth = 0);
  void clear_faults();
  int32_t live();

 private:
  IDispatch *app_;
};

// A script state with the module as the global T.
class Script {
 public:
  Script();
  ~Script();
  Script(const Script &) = delete;
  Script &operator=(const Script &) = delete;
  void set(const char *global, xComObject handle);
  // Runs `code`; its first result described as by describe() below ("none"
  // without one, "error: ..." when it raised; a table as DescribeTable gives
  // it: "R{key=value,...}" for records, "L{[1]=...}" for lists, keys sorted). An integer is taken as an
  // object handle (and released) when `objects` is set.
  std::string run(const std::string &code, bool objects = false);

 private:
  lua_State *L_ = nullptr;
};

// A result as text, released on the way: "n:<number>" (also booleans),
// "o:obj" / "o:null", "t:<UTF-8 text>".
std::string describe(int32_t v);
std::string describe(double v);
std::string describe(xComObject object);
std::string describe(wchar_t *text);
std::string describe(char *text);
std::string utf8(const std::wstring &w);

class ExcelTest : public tarvo::test::LeakCheckedTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  Control control() { return Control(probe_); }

  xComObject probe_ = 0;  // an application that reads the process's journal
  int32_t baseline_ = 0;
};

// A fresh application with one book of three sheets (Sheet1 to Sheet3) and
// the number 3.75 in Sheet1!C2; the range handle is that cell.
struct Objects {
  xComObject app = 0, book = 0, sheet = 0, range = 0;
  static Objects make();
  void release();  // quits the application
};

}  // namespace exceltest
