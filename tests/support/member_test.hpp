// What the tests of the automation member families share: the control
// members of a stand-in server (journal, faults, live objects), a script
// state holding the module, and results described as text so that the W, A
// and Lua forms of a member compare as equals.
#pragma once

#include "alloc_counter.hpp"
#include "com_ref.hpp"
#include "disphelper.h"
#include "lua_api.hpp"
#include "tarvo_members.h"
#include "xcore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>

namespace membertest {

using tarvo::com::Ref;
namespace disp = tarvo::disp;

// Control members of a stand-in object, called through the test's own
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

// A fixture holding a probe: an object of a stand-in server that reads the
// server's journal. Proves at the end of every test that no library result
// and no automation object was left behind (the server's live objects are
// back to what they were when the probe was taken).
class ProbedTest : public tarvo::test::LeakCheckedTest {
 protected:
  // Takes the probe (its reference is the fixture's), disarms the faults,
  // clears the journal and notes the live objects; false without a probe.
  bool take_probe(xComObject probe);
  void TearDown() override;
  Control control() { return Control(probe_); }
  // Runs `form` on fresh objects from `make` (released afterwards); its
  // result, with the journal of what it sent in `journal`.
  template <class Make, class Form>
  std::string journaled(Make make, Form form, std::wstring &journal) {
    auto o = make();
    control().clear();
    std::string result = form(o);
    journal = control().journal();
    o.release();
    return result;
  }

  xComObject probe_ = 0;
  int32_t baseline_ = 0;
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

// A text argument in both forms: UTF-16 for W, the ANSI code page (1252
// here) for A.
struct Text {
  const wchar_t *w;
  const char *a;
  operator const wchar_t *() const { return w; }
  operator const char *() const { return a; }
};

// Texts beyond ASCII in both forms, and ASCII("...") for plain ones.
#define ASCII(s) Text{L"" s, s}
inline const Text kE1{L"\u00e91", "\xe9" "1"}, kE2{L"\u00e92", "\xe9" "2"}, kE3{L"\u00e93", "\xe9" "3"},
    kE4{L"\u00e94", "\xe9" "4"}, kBadPath{L"?\u00e91", "?\xe9" "1"};

// One member row of a family's test table, run on the family's Objects.
template <class Objects>
struct MemberRow {
  const char *name;
  std::function<std::string(const Objects &)> w, a;  // a: null for single exports
  const char *result;  // W result as describe() writes it; "*" not checked
  const wchar_t *journal;
  std::string lua;  // the Lua call (the C arguments in script form), or ""
};

// The script form of a row's C arguments: the handles by their global
// names, the texts as literals.
inline std::string script_call(const char *name, const char *args) {
  const std::pair<std::string_view, const char *> forms[] = {
      {"o.", ""}, {"kE1", "'\xc3\xa9" "1'"}, {"kE2", "'\xc3\xa9" "2'"}, {"kE3", "'\xc3\xa9" "3'"},
      {"kE4", "'\xc3\xa9" "4'"}, {"kBadPath", "'?\xc3\xa9" "1'"}, {"ASCII(\"", "'"}, {"\")", "'"}};
  std::string call = std::string(name) + "(";
  for (std::string_view rest = args; !rest.empty();) {
    auto form = std::find_if(std::begin(forms), std::end(forms), [&](auto &f) { return rest.starts_with(f.first); });
    if (form == std::end(forms)) {
      call += rest.front();
      rest.remove_prefix(1);
    } else {
      call += form->second;
      rest.remove_prefix(form->first.size());
    }
  }
  return call + ")";
}

// Rows written as the C call: ONE (one export), WA (W and A forms), _C
// without a Lua function; the family's Objects is `o`, its row type `Row`.
#define ROW(name, w, a, lua_args, result, journal, ...)                                                          \
  Row {                                                                                                          \
    #name, [](const Objects &o) { return describe(w(__VA_ARGS__)); }, a, result, journal,                      \
        lua_args ? script_call(#name, lua_args) : std::string()                                                \
  }
#define A_FORM(name, ...) [](const Objects &o) { return describe(name##A(__VA_ARGS__)); }
#define ONE(name, result, journal, ...) ROW(name, name, nullptr, #__VA_ARGS__, result, journal, __VA_ARGS__)
#define ONE_C(name, result, journal, ...) ROW(name, name, nullptr, nullptr, result, journal, __VA_ARGS__)
#define WA(name, result, journal, ...) \
  ROW(name, name##W, A_FORM(name, __VA_ARGS__), #__VA_ARGS__, result, journal, __VA_ARGS__)
#define WA_C(name, result, journal, ...) \
  ROW(name, name##W, A_FORM(name, __VA_ARGS__), nullptr, result, journal, __VA_ARGS__)

// Runs every row in each of its forms (W, A, Lua) through the family's
// runners and checks that all give the row's result and send its journal:
//   run_form(row, form, journal) -> described result
//   run_lua(row, journal, objects) -> described result
template <class Row, size_t N, class RunForm, class RunLua>
void check_every_form(const Row (&rows)[N], RunForm run_form, RunLua run_lua) {
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    std::wstring journal;
    const std::string w = run_form(row, row.w, journal);
    if (std::string(row.result) != "*") {
      EXPECT_EQ(w, row.result) << "W result";
    }
    EXPECT_EQ(utf8(journal), utf8(row.journal)) << "W journal";
    if (row.a) {
      EXPECT_EQ(run_form(row, row.a, journal), w) << "A result";
      EXPECT_EQ(utf8(journal), utf8(row.journal)) << "A journal";
    }
    if (!row.lua.empty()) {
      const std::string lua = run_lua(row, journal, w.rfind("o:", 0) == 0);
      if (lua != "none") {
        // A flag's true is -1 in C and a boolean (described "n:1") in Lua.
        EXPECT_EQ(lua, w == "n:-1" ? "n:1" : w) << "Lua result of " << row.lua;
      }
      EXPECT_EQ(utf8(journal), utf8(row.journal)) << "Lua journal of " << row.lua;
    }
  }
}

// Calls every row with null handles (the globals `names` set to 0 for
// the Lua form): the failure value, and nothing reaches the server.
template <class Row, size_t N, class Objects>
void check_null_handles(const Row (&rows)[N], const Objects &none, Script &script, Control control,
                        std::initializer_list<const char *> names);

// Registers the W forms leave alone (the conversions of the A forms and the
// script functions report their sizes as they always do).
struct Registers {
  Registers() {
    xCore.iRet = 1234;
    xCore.iRetSize = 4321;
    xCore.dRet = 0.5;
  }
  ~Registers() {
    EXPECT_EQ(xCore.iRet, 1234);
    EXPECT_EQ(xCore.iRetSize, 4321u);
    EXPECT_EQ(xCore.dRet, 0.5);
  }
};

// Whether a described result is a failure value.
inline bool is_failure_value(const std::string &result) {
  return result == "n:0" || result == "o:null" || result == "t:" || result == "none";
}

// The member of a journal line ("put Value()=..." gives "put Value").
inline std::wstring member_of(const std::wstring &line) { return line.substr(0, line.find(L'(')); }

template <class Row, size_t N, class Objects>
void check_null_handles(const Row (&rows)[N], const Objects &none, Script &script, Control control,
                        std::initializer_list<const char *> names) {
  for (const Row &row : rows) {
    if (!*row.journal) continue;  // creation takes no handle
    SCOPED_TRACE(row.name);
    {
      Registers registers;
      EXPECT_TRUE(is_failure_value(row.w(none))) << "W";
    }
    if (row.a) {
      EXPECT_TRUE(is_failure_value(row.a(none))) << "A";
    }
    if (!row.lua.empty()) {
      for (const char *name : names) script.set(name, 0);
      EXPECT_TRUE(is_failure_value(script.run("return T." + row.lua))) << row.lua;
    }
    EXPECT_EQ(control.journal(), L"");
  }
}

}  // namespace membertest
