// The desktop-automation family against the stand-in object. Every fixture
// test ends by proving the interface went before its DLL and that nothing of
// the library was left behind.
#include "alloc_counter.hpp"
#include "member_test.hpp"  // Script, Control, describe, utf8, kE1..kE3
#include "xcore.h"
#include "xop.h"

#include <functional>
#include <string_view>

namespace {

using membertest::Control;
using membertest::describe;
using membertest::kE1;
using membertest::kE2;
using membertest::kE3;
using membertest::Script;
using membertest::utf8;
namespace disp = tarvo::disp;

constexpr const wchar_t *kStandinDll = L"tarvo_op_standin.dll";

// The stand-in DLL reports at its unload what was still alive.
void expect_unloaded(const wchar_t *dll = kStandinDll) {
  wchar_t report[64] = L"";
  GetEnvironmentVariableW(L"TARVO_OP_STANDIN_UNLOADED", report, 64);
  EXPECT_EQ(GetModuleHandleW(dll), nullptr) << "the DLL stayed loaded";
  EXPECT_EQ(utf8(report), "live=0 factories=0") << "the DLL went before its objects";
  SetEnvironmentVariableW(L"TARVO_OP_STANDIN_UNLOADED", nullptr);
}

class OpTest : public tarvo::test::LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    SetEnvironmentVariableW(L"TARVO_OP_STANDIN_UNLOADED", nullptr);
    ASSERT_EQ(GetModuleHandleW(kStandinDll), nullptr);
    h_ = OP_CreateObjectW(kStandinDll);
    ASSERT_TRUE(h_ && h_->module);
    script_.set("h", reinterpret_cast<xComObject>(h_));
    control().clear();
  }
  void TearDown() override {
    if (h_) {
      EXPECT_EQ(OP_ReleaseObject(h_), -1);
      expect_unloaded();
    }
    LeakCheckedTest::TearDown();
  }
  Control control() { return Control(reinterpret_cast<xComObject>(h_->object)); }
  std::string journal() { return utf8(control().journal()); }
  void set_dual(bool on) { EXPECT_EQ(disp::PutValue(h_->object, L"._Dual = %b", on), S_OK); }

  OpObject *h_ = nullptr;
  Script script_;
};

// ---- creation and release ------------------------------------------------------

// The ProgID's registration, taken away for the length of a test.
struct ProgIdRemoved {
  static constexpr const wchar_t *kKey = L"Software\\Classes\\op.opsoft\\CLSID";
  wchar_t clsid[64] = L"";
  DWORD size = sizeof clsid;
  const bool registered =
      RegGetValueW(HKEY_LOCAL_MACHINE, kKey, nullptr, RRF_RT_REG_SZ, nullptr, clsid, &size) == 0 &&
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\op.opsoft") == 0;
  ~ProgIdRemoved() {
    if (registered) RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, nullptr, REG_SZ, clsid, size);
  }
};

class OpCreate : public tarvo::test::LeakCheckedTest {};

TEST_F(OpCreate, ByProgIdOnlyWhenRegistered) {
  Script script;
  OpObject *h = OP_CreateObjectW(nullptr);
  ASSERT_NE(h, nullptr) << "is the stand-in registered as op.opsoft?";
  EXPECT_EQ(h->module, nullptr);
  EXPECT_EQ(describe(OP_VerW(h)), "t:\u00e9Ver");
  EXPECT_EQ(OP_ReleaseObject(h), -1);
  EXPECT_EQ(script.run("local h = T.OP_CreateObject() return T.OP_ReleaseObject(h) + (h ~= 0 and 10 or 0)"), "n:9");
  ProgIdRemoved removed;
  ASSERT_TRUE(removed.registered);
  EXPECT_EQ(OP_CreateObjectW(nullptr), nullptr);
  EXPECT_EQ(OP_CreateObjectA(nullptr), nullptr);
  EXPECT_EQ(script.run("return T.OP_CreateObject()"), "n:0");
}

TEST_F(OpCreate, FromTheDllInTheAFormAndFromScripts) {
  SetEnvironmentVariableW(L"TARVO_OP_STANDIN_UNLOADED", nullptr);
  OpObject *h = OP_CreateObjectA("tarvo_op_standin.dll");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->module, GetModuleHandleW(kStandinDll));
  EXPECT_EQ(OP_ReleaseObject(h), -1);
  expect_unloaded();
  Script script;
  EXPECT_EQ(script.run("h = T.OP_CreateObject('tarvo_op_standin.dll') return h ~= 0 and 1 or 0"), "n:1");
  EXPECT_NE(GetModuleHandleW(kStandinDll), nullptr);
  EXPECT_EQ(script.run("return T.OP_ReleaseObject(h)"), "n:-1");
  expect_unloaded();
  EXPECT_EQ(OP_ReleaseObject(nullptr), -1);
  EXPECT_EQ(script.run("return T.OP_ReleaseObject(0)"), "n:-1");
}

TEST_F(OpCreate, DllsThatServeNoObjectAreUnloadedAgain) {
  EXPECT_EQ(OP_CreateObjectW(L"tarvo_op_standin_bare.dll"), nullptr);
  EXPECT_EQ(GetModuleHandleW(L"tarvo_op_standin_bare.dll"), nullptr);
  EXPECT_EQ(OP_CreateObjectW(L"no such file.dll"), nullptr);
  EXPECT_EQ(OP_CreateObjectA("no such file.dll"), nullptr);
  for (const wchar_t *refusal : {L"class", L"sfalse", L"create", L"null"}) {
    SCOPED_TRACE(utf8(refusal));
    SetEnvironmentVariableW(L"TARVO_OP_STANDIN_REFUSE", refusal);
    EXPECT_EQ(OP_CreateObjectW(L"tarvo_op_standin_refusing.dll"), nullptr);
    expect_unloaded(L"tarvo_op_standin_refusing.dll");
  }
  SetEnvironmentVariableW(L"TARVO_OP_STANDIN_REFUSE", nullptr);
}

// ---- the member rows -------------------------------------------------------------

struct Row {
  const char *name;
  std::function<std::string(OpObject *)> w, a;  // a single export is its own A form
  std::string lua;  // the arguments after the handle in script form, or "-" without a Lua function
  const char *result;
  const wchar_t *journal;
};

// The C arguments after the handle in script form (kE1 is 'é1').
std::string script_args(std::string_view c) {
  std::string out;
  for (size_t i = 0; i < c.size(); ++i) {
    const bool text = c.substr(i, 2) == "kE";
    out += text ? "'\xc3\xa9" + std::string(1, c[i + 2]) + "'" : std::string(1, c[i]);
    if (text) i += 2;
  }
  return c.empty() ? out : ", " + out;
}

#define OP_FORM(f, ...) [](OpObject *h) { return describe(f(h __VA_OPT__(, ) __VA_ARGS__)); }
#define OP_ONE(name, result, journal, ...) \
  Row { #name, OP_FORM(name, __VA_ARGS__), OP_FORM(name, __VA_ARGS__), script_args(#__VA_ARGS__), result, journal }
#define OP_WA(name, result, journal, ...) \
  Row { #name, OP_FORM(name##W, __VA_ARGS__), OP_FORM(name##A, __VA_ARGS__), script_args(#__VA_ARGS__), result, journal }

#define AREA L"I4:1,I4:2,I4:3,I4:4,"
const Row kRows[] = {
    OP_WA(OP_Ver, "t:\u00e9Ver", L"get Ver()\n"),
    OP_WA(OP_GetBasePath, "t:\u00e9GetBasePath", L"get GetBasePath()\n"),
    OP_WA(OP_GetPath, "t:\u00e9GetPath", L"get GetPath()\n"),
    OP_WA(OP_SetPath, "n:7", L"get SetPath(BSTR:\u00e91)\n", kE1),
    OP_ONE(OP_SetShowErrorMsg, "n:7", L"get SetShowErrorMsg(I4:1)\n", 1),
    OP_WA(OP_BindWindow, "n:7", L"get BindWindow(I4:65552,BSTR:\u00e91,BSTR:\u00e92,BSTR:\u00e93,I4:101)\n", 65552, kE1, kE2, kE3, 101),
    Row{"OP_UnBindWindow", OP_FORM(OP_UnBindWindow), OP_FORM(OP_UnBindWindow), "-", "n:7", L"get UnBindWindow()\n"},
    OP_WA(OP_RunApp, "n:7", L"get RunApp(BSTR:\u00e91,I4:1)\n", kE1, 1),
    OP_WA(OP_WinExec, "n:7", L"get WinExec(BSTR:\u00e91,I4:0)\n", kE1, 0),
    OP_WA(OP_GetCmdStr, "t:\u00e9GetCmdStr", L"get GetCmdStr(BSTR:\u00e91,I4:500)\n", kE1, 500),
    OP_WA(OP_SetDisplayInput, "n:7", L"get SetDisplayInput(BSTR:\u00e91)\n", kE1),
    OP_WA(OP_SetDict, "n:7", L"get SetDict(I4:2,BSTR:\u00e91)\n", 2, kE1),
    OP_ONE(OP_UseDict, "n:7", L"get UseDict(I4:2)\n", 2),
    OP_WA(OP_Capture, "n:7", L"get Capture(" AREA L"BSTR:\u00e91)\n", 1, 2, 3, 4, kE1),
    OP_WA(OP_CapturePre, "n:7", L"get CapturePre(BSTR:\u00e91)\n", kE1),
    OP_WA(OP_GetColor, "t:\u00e9GetColor", L"get GetColor(I4:5,I4:-6)\n", 5, -6),
    OP_WA(OP_CmpColor, "n:7", L"get CmpColor(I4:5,I4:6,BSTR:\u00e91,R8:0.9)\n", 5, 6, kE1, 0.9),
    OP_WA(OP_FindColorEx, "t:\u00e9FindColorEx", L"get FindColorEx(" AREA L"BSTR:\u00e91,R8:0.9,I4:3)\n", 1, 2, 3, 4, kE1, 0.9, 3),
    OP_WA(OP_FindMultiColorEx, "t:\u00e9FindMultiColorEx", L"get FindMultiColorEx(" AREA L"BSTR:\u00e91,BSTR:\u00e92,R8:0.5,I4:1)\n", 1, 2, 3, 4, kE1, kE2, 0.5, 1),
    OP_WA(OP_FindPicEx, "t:\u00e9FindPicEx", L"get FindPicEx(" AREA L"BSTR:\u00e91,BSTR:\u00e92,R8:0.5,I4:1)\n", 1, 2, 3, 4, kE1, kE2, 0.5, 1),
    OP_WA(OP_Ocr, "t:\u00e9Ocr", L"get Ocr(" AREA L"BSTR:\u00e91,R8:0.75)\n", 1, 2, 3, 4, kE1, 0.75),
    OP_WA(OP_OcrEx, "t:\u00e9OcrEx", L"get OcrEx(" AREA L"BSTR:\u00e91,R8:0.75)\n", 1, 2, 3, 4, kE1, 0.75),
    OP_WA(OP_OcrAuto, "t:\u00e9OcrAuto", L"get OcrAuto(" AREA L"R8:0.75)\n", 1, 2, 3, 4, 0.75),
    OP_WA(OP_OcrFromFile, "t:\u00e9OcrFromFile", L"get OcrFromFile(BSTR:\u00e91,BSTR:\u00e92,R8:0.75)\n", kE1, kE2, 0.75),
    OP_WA(OP_OcrAutoFromFile, "t:\u00e9OcrAutoFromFile", L"get OcrAutoFromFile(BSTR:\u00e91,R8:0.75)\n", kE1, 0.75),
    OP_WA(OP_FindStrEx, "t:\u00e9FindStrEx", L"get FindStrEx(" AREA L"BSTR:\u00e91,BSTR:\u00e92,R8:0.75)\n", 1, 2, 3, 4, kE1, kE2, 0.75),
    OP_ONE(OP_MoveTo, "n:7", L"get MoveTo(I4:10,I4:-20)\n", 10, -20),
    OP_ONE(OP_MoveR, "n:7", L"get MoveR(I4:-1,I4:1)\n", -1, 1),
    OP_ONE(OP_MoveToEx, "n:7", L"get MoveToEx(I4:1,I4:2,I4:3,I4:4)\n", 1, 2, 3, 4),
    OP_ONE(OP_LeftClick, "n:7", L"get LeftClick()\n"),
    OP_ONE(OP_LeftDoubleClick, "n:7", L"get LeftDoubleClick()\n"),
    OP_ONE(OP_LeftDown, "n:7", L"get LeftDown()\n"),
    OP_ONE(OP_LeftUp, "n:7", L"get LeftUp()\n"),
    OP_ONE(OP_MiddleClick, "n:7", L"get MiddleClick()\n"),
    OP_ONE(OP_MiddleDown, "n:7", L"get MiddleDown()\n"),
    OP_ONE(OP_MiddleUp, "n:7", L"get MiddleUp()\n"),
    OP_ONE(OP_RightClick, "n:7", L"get RightClick()\n"),
    OP_ONE(OP_RightDown, "n:7", L"get RightDown()\n"),
    OP_ONE(OP_RightUp, "n:7", L"get RightUp()\n"),
    OP_ONE(OP_WheelDown, "n:7", L"get WheelDown()\n"),
    OP_ONE(OP_WheelUp, "n:7", L"get WheelUp()\n"),
    OP_ONE(OP_GetKeyState, "n:7", L"get GetKeyState(I4:13)\n", 13),
    OP_ONE(OP_KeyPress, "n:7", L"get KeyPress(I4:13)\n", 13),
    OP_ONE(OP_KeyDown, "n:7", L"get KeyDown(I4:13)\n", 13),
    OP_ONE(OP_KeyUp, "n:7", L"get KeyUp(I4:13)\n", 13),
    OP_WA(OP_KeyPressChar, "n:7", L"get KeyPressChar(BSTR:\u00e91)\n", kE1),
    OP_WA(OP_KeyDownChar, "n:7", L"get KeyDownChar(BSTR:\u00e91)\n", kE1),
    OP_WA(OP_KeyUpChar, "n:7", L"get KeyUpChar(BSTR:\u00e91)\n", kE1),
};

// The key functions of scripts push nothing.
bool pushes_nothing(const std::string &name) { return name.starts_with("OP_Key"); }

std::string failure_of(const Row &row, bool lua) {
  if (std::string(row.name) == "OP_CmpColor") return "n:1";
  if (lua && pushes_nothing(row.name)) return "none";
  return row.result[0] == 't' ? "t:" : "n:0";
}

TEST_F(OpTest, EveryMemberRowInEveryFormAndItsFailureValues) {
  OpObject empty{};
  for (const Row &row : kRows) {
    SCOPED_TRACE(row.name);
    const std::string sent = utf8(row.journal), failure = failure_of(row, false);
    const std::wstring member(row.journal + 4, std::wstring_view(row.journal).find(L'(') - 4);
    for (const auto *form : {&row.w, &row.a}) {
      SCOPED_TRACE(form == &row.w ? "W" : "A");
      EXPECT_EQ((*form)(h_), row.result);
      EXPECT_EQ(journal(), sent);
      EXPECT_EQ((*form)(nullptr), failure) << "no object";
      EXPECT_EQ((*form)(&empty), failure) << "an empty record";
      EXPECT_EQ(journal(), "");
      control().fault(member.c_str(), L"raise");
      EXPECT_EQ((*form)(h_), failure) << "a failing object";
      control().clear_faults();
      control().clear();
    }
    if (row.lua == "-") continue;
    const std::string call = "return T." + std::string(row.name) + "(h" + row.lua + ")";
    EXPECT_EQ(script_.run(call), pushes_nothing(row.name) ? "none" : row.result) << call;
    EXPECT_EQ(journal(), sent) << call;
    script_.set("h", 0);
    EXPECT_EQ(script_.run(call), failure_of(row, true)) << call << " without an object";
    EXPECT_EQ(journal(), "");
    script_.set("h", reinterpret_cast<xComObject>(h_));
  }
}

// ---- the searches ----------------------------------------------------------------

using SearchForm = int32_t (*)(OpObject *, int32_t *, int32_t *);
struct Search {
  const char *name;
  SearchForm w, a;
  std::string lua;  // the arguments after the handle in script form
  const wchar_t *journal;  // without the kind word and the out arguments
};

#define SEARCH_FORM(f, ...) [](OpObject *h, int32_t *x, int32_t *y) { return f(h, __VA_ARGS__, x, y); }
#define SEARCH(name, journal, ...) \
  Search { #name, SEARCH_FORM(name##W, __VA_ARGS__), SEARCH_FORM(name##A, __VA_ARGS__), script_args(#__VA_ARGS__), journal }
#define SEARCH_AREA L"I4:10,I4:20,I4:30,I4:40,"
const Search kSearches[] = {
    SEARCH(OP_FindColor, L"FindColor(" SEARCH_AREA L"BSTR:\u00e91,R8:0.9,I4:2", 10, 20, 30, 40, kE1, 0.9, 2),
    SEARCH(OP_FindMultiColor, L"FindMultiColor(" SEARCH_AREA L"BSTR:\u00e91,BSTR:\u00e92,R8:0.9,I4:2", 10, 20, 30, 40, kE1, kE2, 0.9, 2),
    SEARCH(OP_FindPic, L"FindPic(" SEARCH_AREA L"BSTR:\u00e91,BSTR:\u00e92,R8:0.9,I4:2", 10, 20, 30, 40, kE1, kE2, 0.9, 2),
    SEARCH(OP_FindStr, L"FindStr(" SEARCH_AREA L"BSTR:\u00e91,BSTR:\u00e92,R8:0.9", 10, 20, 30, 40, kE1, kE2, 0.9),
};

// Result, x and y of a search (x and y start as 99).
std::string found(SearchForm form, OpObject *h) {
  int32_t x = 99, y = 99;
  const int32_t r = form(h, &x, &y);
  return std::to_string(r) + "," + std::to_string(x) + "," + std::to_string(y);
}

// Through the object's own table (a neighbouring position would be journaled
// as its slot), by name when the object hands out no table; a failed search
// gives 0 in the result and both coordinates.
TEST_F(OpTest, SearchesThroughTheObjectsTableOrByName) {
  OpObject empty{};
  for (bool dual : {true, false}) {
    set_dual(dual);
    for (const Search &s : kSearches) {
      SCOPED_TRACE(std::string(s.name) + (dual ? " through the table" : " by name"));
      const std::wstring line = dual ? std::wstring(L"call ") + s.journal + L")\n"
                                     : std::wstring(L"get ") + s.journal + L",REF:EMPTY,REF:EMPTY)\n";
      for (SearchForm form : {s.w, s.a}) {
        EXPECT_EQ(found(form, h_), "1,20,40");
        EXPECT_EQ(journal(), utf8(line));
      }
      const std::string call = "local r, x, y = T." + std::string(s.name) + "(h" + s.lua + ") return r .. ',' .. x .. ',' .. y";
      EXPECT_EQ(script_.run(call), "t:1,20,40");
      EXPECT_EQ(journal(), utf8(line));
      int32_t x = 0;
      EXPECT_EQ(s.w(h_, nullptr, nullptr), 1) << "no targets for x and y";
      EXPECT_EQ(s.w(h_, &x, nullptr), 1);
      EXPECT_EQ(x, 20);
      control().fault(std::wstring(s.journal, std::wstring_view(s.journal).find(L'(')).c_str(), L"raise");
      for (OpObject *h : {h_, static_cast<OpObject *>(nullptr), &empty}) {
        EXPECT_EQ(found(s.w, h), "0,0,0");
        EXPECT_EQ(s.w(h, nullptr, nullptr), 0);
      }
      control().clear_faults();
      control().clear();
    }
  }
  script_.set("h", 0);
  EXPECT_EQ(script_.run("local r, x, y = T.OP_FindPic(h, 1, 2, 3, 4, 'a', 'b', 0.5, 0) return r .. x .. y"), "t:000");
}

// ---- the composite clicks -----------------------------------------------------------

#define CLICK(x, y) L"call MoveTo(I4:" #x L",I4:" #y L")\ncall LeftClick()\n"
#define FIND_STR L"get FindStrEx(I4:1,I4:2,I4:3,I4:4,BSTR:\u00e91,BSTR:ff,R8:0.9)\n"

TEST_F(OpTest, ClicksAtAPointAndAtTheMatchesOfATextSearch) {
  EXPECT_EQ(OP_LeftClickPoint(h_, 5, -6), -1);
  EXPECT_EQ(journal(), utf8(CLICK(5, -6)));
  EXPECT_EQ(script_.run("return T.OP_LeftClickPoint(h, 5, 6)"), "none");
  EXPECT_EQ(journal(), utf8(CLICK(5, 6)));
  EXPECT_EQ(OP_LeftClickPoint(nullptr, 5, 6), -1);
  // Records of fewer than three fields are skipped; the shifted sums stay within 32 bits.
  EXPECT_EQ(disp::CallMethod(h_->object, L"._Answer(%S, %S)", L"FindStrEx",
                             L"a,10,20|b,30|c,40,50,x| d , 60 ,70|e,2147483647,-2147483648"), S_OK);
  const std::pair<int32_t, const wchar_t *> cases[] = {
      {-1, FIND_STR CLICK(11, 22) CLICK(41, 52) CLICK(61, 72) CLICK(2147483647, -2147483646)},
      {0, FIND_STR CLICK(11, 22)}, {1, FIND_STR}, {3, FIND_STR CLICK(61, 72)}, {5, FIND_STR}, {-2, FIND_STR},
  };
  for (const auto &[index, sent] : cases) {
    EXPECT_EQ(OP_LeftClickStrW(h_, 1, 2, 3, 4, L"\u00e91", L"ff", 0.9, index, 1, 2), 0);
    EXPECT_EQ(journal(), utf8(sent)) << "index " << index;
  }
  EXPECT_EQ(OP_LeftClickStrA(h_, 1, 2, 3, 4, "\xe9" "1", "ff", 0.9, 3, 1, 2), 0);
  EXPECT_EQ(journal(), utf8(FIND_STR CLICK(61, 72)));
  EXPECT_EQ(script_.run("return T.OP_LeftClickStr(h, 1, 2, 3, 4, '\xc3\xa9" "1', 'ff', 0.9, 0, 1, 2)"), "n:0");
  EXPECT_EQ(journal(), utf8(FIND_STR CLICK(11, 22)));
  control().fault(L"FindStrEx", L"raise");
  EXPECT_EQ(OP_LeftClickStrW(h_, 1, 2, 3, 4, L"\u00e91", L"ff", 0.9, -1, 1, 2), 0);
  EXPECT_EQ(journal(), utf8(FIND_STR));
  EXPECT_EQ(OP_LeftClickStrW(nullptr, 1, 2, 3, 4, L"a", L"ff", 0.9, -1, 1, 2), 0);
}

}  // namespace
