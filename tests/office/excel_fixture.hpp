// What the Excel tests share: the stand-in spreadsheet server's control
// members (journal, faults, live objects), a script state holding the
// module, and a fixture that proves at the end of every test that no library
// result and no automation object was left behind.
#pragma once

#include "alloc_counter.hpp"
#include "com_ref.hpp"
#include "disphelper.h"
#include "lua_api.hpp"
#include "temp_dir.hpp"
#include "xexcel.h"

#include <gtest/gtest.h>

#include <string>

namespace exceltest {

using tarvo::com::Ref;
namespace disp = tarvo::disp;
using tarvo::test::utf8;

// A text argument in both forms: UTF-16 for W, the ANSI code page (1252
// here) for A.
struct Text {
  const wchar_t *w;
  const char *a;
  operator const wchar_t *() const { return w; }
  operator const char *() const { return a; }
};
inline const Text kE1{L"\u00e91", "\xe9" "1"}, kE2{L"\u00e92", "\xe9" "2"}, kE3{L"\u00e93", "\xe9" "3"},
    kE4{L"\u00e94", "\xe9" "4"};

// Control members of a stand-in application, called through the test's own
// copy of the dispatch layer.
class Control {
 public:
  explicit Control(xComObject app) : app_(reinterpret_cast<IDispatch *>(app)) {}
  std::wstring journal();  // the lines since the last clear, then clears them
  void clear() { EXPECT_EQ(disp::CallMethod(app_, L"._ClearJournal()"), S_OK); }
  // Without a code the mode's own is taken.
  void fault(const wchar_t *member, const wchar_t *mode, int32_t code = 0, int32_t nth = 0) {
    EXPECT_EQ(code ? disp::CallMethod(app_, L"._Fault(%S, %S, %d, %d)", member, mode, code, nth)
                   : disp::CallMethod(app_, L"._Fault(%S, %S, %m, %d)", member, mode, nth),
              S_OK);
  }
  void clear_faults() { EXPECT_EQ(disp::CallMethod(app_, L"._ClearFaults()"), S_OK); }
  int32_t live() {
    int32_t n = -1;
    EXPECT_EQ(disp::GetValue(L"%d", &n, app_, L".LiveObjects"), S_OK);
    return n;
  }

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
