// What the automation family tests share: a stand-in's control members, a script state, results
// described as text (so the W, A and Lua forms compare as equals) and the member-table checks.
#pragma once

#include "alloc_counter.hpp"
#include "com_ref.hpp"
#include "disphelper.h"
#include "lua_api.hpp"
#include "tarvo_members.h"
#include "temp_dir.hpp"
#include "xcore.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace membertest {

using tarvo::com::Ref;
namespace disp = tarvo::disp;

// A stand-in's control members, through the test's own dispatch layer.
class Control {
 public:
  explicit Control(xComObject app) : app_(reinterpret_cast<IDispatch *>(app)) {}
  std::wstring journal();  // the lines since the last clear, then clears them
  void clear() { EXPECT_EQ(disp::CallMethod(app_, L"._ClearJournal()"), S_OK); }
  // Without a code the mode's own is taken.
  void fault(const wchar_t *member, const wchar_t *mode, int32_t code = 0, int32_t nth = 0);
  void clear_faults() { EXPECT_EQ(disp::CallMethod(app_, L"._ClearFaults()"), S_OK); }
  int32_t live();

 private:
  IDispatch *app_;
};

// A script state with the module as the global T.
class Script {
 public:
  Script();
  ~Script() {
    if (L_) tarvo::lua::api.lua_close(L_);
  }
  Script(const Script &) = delete;
  Script &operator=(const Script &) = delete;
  void set(const char *global, xComObject handle);
  // The first result of `code` as describe() writes it ("none", "error: ...",
  // "R{key=value,...}" or "L{[1]=...}"); integers are objects if `objects`.
  std::string run(const std::string &code, bool objects = false);

 private:
  lua_State *L_ = nullptr;
};

// A result as text, released on the way: "n:<number>", "o:obj" / "o:null", "t:<UTF-8 text>".
std::string describe(double v);
inline std::string describe(int32_t v) { return describe(static_cast<double>(v)); }
std::string describe(xComObject object);
std::string describe(wchar_t *text);
std::string describe(char *text);
using tarvo::test::utf8;

inline bool is_failure_value(const std::string &result) {
  return result == "n:0" || result == "o:null" || result == "t:" || result == "none";
}

// A fixture holding a probe, a stand-in object that reads the server's
// journal; proves after every test that nothing was left behind.
class ProbedTest : public tarvo::test::LeakCheckedTest {
 protected:
  bool take_probe(xComObject probe);  // and its reference; false without one
  void TearDown() override;
  Control control() { return Control(probe_); }

  xComObject probe_ = 0;
  int32_t baseline_ = 0;
  Script script_;
};

inline IDispatch *dispatch(xComObject h) { return reinterpret_cast<IDispatch *>(h); }
inline void release(xComObject h) {
  if (h) dispatch(h)->Release();
}
inline void release(std::initializer_list<xComObject> handles) {
  for (xComObject h : handles) release(h);
}

// A family's fixture: the probe is an application of the stand-in `Create` starts.
template <xComObject (*Create)()>
class ApplicationTest : public ProbedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    ASSERT_TRUE(take_probe(Create())) << "is the stand-in registered?";
  }
};

// The stand-in started as a local server process, and its live objects at the start.
struct LocalServer {
  explicit LocalServer(const CLSID &clsid) {
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, ref.put_void()), S_OK);
    start = ref ? Control(reinterpret_cast<xComObject>(ref.get())).live() : -1;
  }
  int32_t live() { return Control(reinterpret_cast<xComObject>(ref.get())).live(); }
  Ref<IDispatch> ref;
  int32_t start;
};

// A member with a fault injected (the nth call of `fault`; null: none).
template <class Objects>
struct FaultCase {
  const wchar_t *fault;
  int32_t nth;
  std::function<std::string(const Objects &)> member;
  const char *result;
  const wchar_t *never_sent = nullptr;  // sent after the failure; L"": the failing call is the last sent
  bool get = false;  // a get, which an empty answer fails too
};
#define CALL(expr) [](const Objects &o) { return describe(expr); }

// Each case on fresh objects in each mode: its result and what it never sent (an empty answer is no
// failure for puts and calls, so then only the live objects are checked), every helper object released.
template <class Objects, size_t N, class Make>
void check_fault_cases(const FaultCase<Objects> (&cases)[N], Make make, Control control, int32_t baseline,
                       std::initializer_list<const wchar_t *> modes) {
  for (const std::wstring mode : modes) {
    for (const FaultCase<Objects> &c : cases) {
      SCOPED_TRACE(utf8(c.fault ? c.fault : L"none") + " " + utf8(mode));
      Objects o = make();
      control.clear();
      if (c.fault) control.fault(c.fault, mode.c_str(), 0, c.nth);
      const std::string result = c.member(o);
      if (!c.fault || c.get || mode != L"empty") {
        EXPECT_EQ(result, c.result);
        const std::wstring journal = control.journal();
        if (c.never_sent && *c.never_sent) {
          EXPECT_EQ(journal.find(c.never_sent), std::wstring::npos) << utf8(journal);
        }
        if (c.never_sent && !*c.never_sent) {
          const size_t from = journal.size() > 1 ? journal.rfind(L'\n', journal.size() - 2) : std::wstring::npos;
          EXPECT_NE(journal.find(L" " + std::wstring(c.fault) + L"(", from == std::wstring::npos ? 0 : from + 1),
                    std::wstring::npos) << utf8(journal);
        }
      }
      control.clear_faults();
      o.release();
      EXPECT_EQ(control.live(), baseline) << "objects left behind";
    }
  }
}

// A text argument in both forms: UTF-16 for W, the ANSI code page (1252 here) for A.
struct Text {
  const wchar_t *w;
  const char *a;
  operator const wchar_t *() const { return w; }
  operator const char *() const { return a; }
};
#define ASCII(s) Text{L"" s, s}
inline const Text kE1{L"\u00e91", "\xe9" "1"}, kE2{L"\u00e92", "\xe9" "2"}, kE3{L"\u00e93", "\xe9" "3"},
    kE4{L"\u00e94", "\xe9" "4"}, kBadPath{L"?\u00e91", "?\xe9" "1"};

// A member row, run on a family's Objects (globals() names its handles).
template <class Objects>
struct MemberRow {
  const char *name;
  std::function<std::string(const Objects &)> w, a;  // a: null for single exports
  const char *result;  // the W result as describe() writes it; "*" not checked
  const wchar_t *journal;
  std::string lua;  // the Lua call, or "" without a Lua function
};

// The Lua call of a row from its C arguments.
inline std::string script_call(const char *name, std::string args) {
  for (auto [from, to] : {std::pair{R"(\bo\.)", ""}, {R"(kE(\d))", "'\xc3\xa9$1'"}, {"kBadPath", "'?\xc3\xa9" "1'"},
                          {R"re(ASCII\("([^"]*)"\))re", "'$1'"}})
    args = std::regex_replace(args, std::regex(from), to);
  return std::string(name) + "(" + args + ")";
}

// Rows written as the C call: ONE (one export), WA (W and A forms), _C without a Lua function.
#define ROW(name, w, a, lua_args, result, journal, ...)                                  \
  Row{#name, [](const Objects &o) { return describe(w(__VA_ARGS__)); }, a, result, journal, \
      lua_args ? script_call(#name, lua_args) : std::string()}
#define A_FORM(name, ...) [](const Objects &o) { return describe(name##A(__VA_ARGS__)); }
#define ONE(name, result, journal, ...) ROW(name, name, nullptr, #__VA_ARGS__, result, journal, __VA_ARGS__)
#define ONE_C(name, result, journal, ...) ROW(name, name, nullptr, nullptr, result, journal, __VA_ARGS__)
#define WA(name, result, journal, ...) \
  ROW(name, name##W, A_FORM(name, __VA_ARGS__), #__VA_ARGS__, result, journal, __VA_ARGS__)
#define WA_C(name, result, journal, ...) \
  ROW(name, name##W, A_FORM(name, __VA_ARGS__), nullptr, result, journal, __VA_ARGS__)

// A W form's result, checking it left the registers alone (only A forms and scripts report sizes).
template <class Form, class Objects>
std::string leaving_registers(const Form &form, const Objects &o) {
  xCore.iRet = 1234;
  xCore.iRetSize = 4321;
  xCore.dRet = 0.5;
  std::string result = form(o);
  EXPECT_EQ(xCore.iRet, 1234);
  EXPECT_EQ(xCore.iRetSize, 4321u);
  EXPECT_EQ(xCore.dRet, 0.5);
  return result;
}

// The Lua result of each member row by name ("Lnone", "Lint", ...):
//   const LuaKinds kLua{XFAMILY_MEMBERS(MEMBERTEST_LUA_KIND)};
using LuaKinds = std::map<std::string, std::string>;
#define MEMBERTEST_LUA_KIND(form, name, kind, expression, lua, ...) {#name, #lua},

// A family's member table. Every row in each of its forms on fresh objects
// from `make`: the row's result (a flag's true is -1 in C, a boolean in Lua)
// and its journal; a script gets nothing back exactly from the rows whose
// Lua result is Lnone. With null handles, and with the last member it sends
// failing in each of `modes` ("fail" an unknown member): the failure value.
template <class Objects, size_t N, class Make>
void check_member_table(const MemberRow<Objects> (&rows)[N], Make make, Control control, Script &script,
                        const LuaKinds &lua_kinds, std::initializer_list<const wchar_t *> modes) {
  for (const MemberRow<Objects> &row : rows) {
    SCOPED_TRACE(row.name);
    const auto run = [&](const char *form, const auto &call) {
      Objects o = make();
      control.clear();
      const std::string result = call(o);
      EXPECT_EQ(utf8(control.journal()), utf8(row.journal)) << form << " journal";
      o.release();
      return result;
    };
    const std::string w = run("W", row.w);
    EXPECT_EQ(std::string(row.result) == "*" ? "*" : w, row.result) << "W result";
    EXPECT_EQ(row.a ? run("A", row.a) : w, w) << "A result";
    if (row.lua.empty()) continue;
    const std::string lua = run("Lua", [&](const Objects &o) {
      for (auto [name, handle] : o.globals()) script.set(name, handle);
      return script.run("return T." + row.lua, w.starts_with("o:"));
    });
    const auto kind = lua_kinds.find(row.name);
    const bool pushes_nothing = kind != lua_kinds.end() && kind->second == "Lnone";
    EXPECT_EQ(lua, pushes_nothing ? "none" : w == "n:-1" ? "n:1" : w) << row.lua;
  }
  const Objects none{};
  for (auto [name, handle] : none.globals()) script.set(name, handle);
  for (const MemberRow<Objects> &row : rows) {
    std::wstring last = row.journal;
    if (last.empty()) continue;  // creation takes no handle and sends nothing
    SCOPED_TRACE(std::string(row.name) + " failing");
    control.clear();
    EXPECT_TRUE(is_failure_value(leaving_registers(row.w, none))) << "W, null handles";
    EXPECT_TRUE(!row.a || is_failure_value(row.a(none))) << "A, null handles";
    EXPECT_TRUE(row.lua.empty() || is_failure_value(script.run("return T." + row.lua))) << row.lua;
    EXPECT_EQ(control.journal(), L"");
    last.pop_back();
    last = last.substr(last.rfind(L'\n') + 1);
    last.erase(last.find(L'('));
    for (const std::wstring mode : modes) {
      Objects o = make();
      control.fault(last.c_str(), mode.c_str(), mode == L"fail" ? DISP_E_MEMBERNOTFOUND : 0);
      const std::string result = leaving_registers(row.w, o);
      EXPECT_TRUE(std::string(row.result) == "*" || is_failure_value(result)) << utf8(mode) << " on " << utf8(last);
      control.clear_faults();
      o.release();
    }
  }
}

}  // namespace membertest
