// The desktop-automation family against the stand-in object. Every fixture
// test ends by proving the interface went before its DLL and that nothing of
// the library was left behind.
#include "member_test.hpp"  // Script, Control, describe, utf8, kE1..kE3, the leak-checked fixture
#include "xop.h"

namespace {

using namespace membertest;

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
    ASSERT_EQ(GetModuleHandleW(kStandinDll), nullptr);
    h_ = OP_CreateObjectW(kStandinDll);
    ASSERT_TRUE(h_ && h_->module);
    script_.set("h", reinterpret_cast<xComObject>(h_));
    control().clear();
  }
  void TearDown() override {
    EXPECT_EQ(OP_ReleaseObject(h_), -1);
    expect_unloaded();
    LeakCheckedTest::TearDown();
  }
  Control control() { return Control(reinterpret_cast<xComObject>(h_->object)); }
  std::string journal() { return utf8(control().journal()); }

  OpObject *h_ = nullptr;
  Script script_;
};

class OpCreate : public tarvo::test::LeakCheckedTest {};

TEST_F(OpCreate, FromTheDllOrByProgIdAndNotFromDllsThatServeNone) {
  OpObject *h = OP_CreateObjectA("tarvo_op_standin.dll");  // the W form makes every fixture's object
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
  h = OP_CreateObjectW(nullptr);
  ASSERT_NE(h, nullptr) << "is the stand-in registered as op.opsoft?";
  EXPECT_EQ(h->module, nullptr);
  EXPECT_EQ(describe(OP_VerW(h)), "t:\u00e9Ver");
  EXPECT_EQ(OP_ReleaseObject(h), -1);
  EXPECT_EQ(script.run("local h = T.OP_CreateObject() return T.OP_ReleaseObject(h) + (h ~= 0 and 10 or 0)"), "n:9");
  // DLLs that serve no object are unloaded again.
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

struct Row {
  const char *name;
  std::function<std::string(OpObject *)> w, a;  // a single export is its own A form
  std::string lua;  // the arguments after the handle in script form, or "-" without a Lua function
  const char *result;
  const wchar_t *journal;
};

// The C arguments after the handle in script form (kE1 is 'é1').
std::string script_args(std::string_view c) {
  const std::string call = membertest::script_call("", std::string(c));  // "(<arguments>)"
  return c.empty() ? "" : ", " + call.substr(1, call.size() - 2);
}

#define OP_FORM(f, ...) [](OpObject *h) { return describe(f(h __VA_OPT__(, ) __VA_ARGS__)); }
#define OP_ONE(name, result, journal, ...) \
  Row { #name, OP_FORM(name, __VA_ARGS__), OP_FORM(name, __VA_ARGS__), script_args(#__VA_ARGS__), result, journal }
#define OP_WA(name, result, journal, ...) \
  Row { #name, OP_FORM(name##W, __VA_ARGS__), OP_FORM(name##A, __VA_ARGS__), script_args(#__VA_ARGS__), result, journal }

// A search as text: "s:<result>,<x>,<y>" (x and y start as 99).
template <class F, class... A>
std::string found(F search, OpObject *h, A... args) {
  int32_t x = 99, y = 99;
  const int32_t r = search(h, args..., &x, &y);
  return "s:" + std::to_string(r) + "," + std::to_string(x) + "," + std::to_string(y);
}
#define OP_SEARCH(name, journal, ...)                                                                   \
  Row { #name, [](OpObject *h) { return found(name##W, h, __VA_ARGS__); },                              \
        [](OpObject *h) { return found(name##A, h, __VA_ARGS__); }, script_args(#__VA_ARGS__), "s:1,20,40", journal }

#define AREA L"I4:1,I4:2,I4:3,I4:4,"
#define SEARCH_AREA L"I4:10,I4:20,I4:30,I4:40,"
// The searches go through the object's own table: a neighbouring position
// would be journaled as its slot.
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
    OP_SEARCH(OP_FindColor, L"call FindColor(" SEARCH_AREA L"BSTR:\u00e91,R8:0.9,I4:2)\n", 10, 20, 30, 40, kE1, 0.9, 2),
    OP_SEARCH(OP_FindMultiColor, L"call FindMultiColor(" SEARCH_AREA L"BSTR:\u00e91,BSTR:\u00e92,R8:0.9,I4:2)\n", 10, 20, 30, 40, kE1, kE2, 0.9, 2),
    OP_SEARCH(OP_FindPic, L"call FindPic(" SEARCH_AREA L"BSTR:\u00e91,BSTR:\u00e92,R8:0.9,I4:2)\n", 10, 20, 30, 40, kE1, kE2, 0.9, 2),
    OP_SEARCH(OP_FindStr, L"call FindStr(" SEARCH_AREA L"BSTR:\u00e91,BSTR:\u00e92,R8:0.9)\n", 10, 20, 30, 40, kE1, kE2, 0.9),
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

// In scripts the key functions push nothing and a search its three values
// (joined here as text).
std::string lua_form(const Row &row, const std::string &described) {
  if (std::string_view(row.name).starts_with("OP_Key")) return "none";
  return described[0] == 's' ? "t" + described.substr(1) : described;
}

std::string failure_of(const Row &row) {
  if (std::string(row.name) == "OP_CmpColor") return "n:1";
  return row.result[0] == 't' ? "t:" : row.result[0] == 's' ? "s:0,0,0" : "n:0";
}

TEST_F(OpTest, EveryMemberRowInEveryFormAndItsFailureValues) {
  OpObject empty{};
  for (const Row &row : kRows) {
    SCOPED_TRACE(row.name);
    const std::string sent = utf8(row.journal), failure = failure_of(row);
    const std::wstring_view line = row.journal;
    const std::wstring member(line.substr(line.find(L' ') + 1, line.find(L'(') - line.find(L' ') - 1));
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
    const std::string call = "T." + std::string(row.name) + "(h" + row.lua + ")";
    const std::string lua = row.result[0] == 's' ? "return table.concat({" + call + "}, ',')" : "return " + call;
    EXPECT_EQ(script_.run(lua), lua_form(row, row.result)) << lua;
    EXPECT_EQ(journal(), sent) << lua;
    script_.set("h", 0);
    EXPECT_EQ(script_.run(lua), lua_form(row, failure)) << lua << " without an object";
    EXPECT_EQ(journal(), "");
    script_.set("h", reinterpret_cast<xComObject>(h_));
  }
}

// By name when the object hands out no table of its own, as a marshalled
// object does not.
TEST_F(OpTest, SearchesByNameWithoutTheObjectsTable) {
  EXPECT_EQ(OP_FindStrW(h_, 1, 2, 3, 4, L"a", L"b", 0.5, nullptr, nullptr), 1) << "no targets for x and y";
  EXPECT_EQ(OP_FindStrW(nullptr, 1, 2, 3, 4, L"a", L"b", 0.5, nullptr, nullptr), 0);
  control().clear();
  EXPECT_EQ(disp::PutValue(h_->object, L"._Dual = %b", false), S_OK);
  for (const Row &row : kRows) {
    const std::wstring line = row.journal;
    if (!line.starts_with(L"call ")) continue;
    SCOPED_TRACE(row.name);
    for (const auto *form : {&row.w, &row.a}) {
      EXPECT_EQ((*form)(h_), row.result);
      EXPECT_EQ(journal(), utf8(L"get " + line.substr(5, line.size() - 7) + L",REF:EMPTY,REF:EMPTY)\n"));
    }
    control().fault(line.substr(5, line.find(L'(') - 5).c_str(), L"raise");
    EXPECT_EQ(row.w(h_), "s:0,0,0");
    control().clear_faults();
    control().clear();
  }
}

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
  // Digits beyond 64 bits still saturate toward their own sign.
  EXPECT_EQ(disp::CallMethod(h_->object, L"._Answer(%S, %S)", L"FindStrEx", L"f,99999999999999999999,-99999999999999999999"),
            S_OK);
  EXPECT_EQ(OP_LeftClickStrW(h_, 1, 2, 3, 4, L"\u00e91", L"ff", 0.9, -1, 1, 2), 0);
  EXPECT_EQ(journal(), utf8(FIND_STR CLICK(2147483647, -2147483648)));
  control().fault(L"FindStrEx", L"raise");
  EXPECT_EQ(OP_LeftClickStrW(h_, 1, 2, 3, 4, L"\u00e91", L"ff", 0.9, -1, 1, 2), 0);
  EXPECT_EQ(journal(), utf8(FIND_STR));
  EXPECT_EQ(OP_LeftClickStrW(nullptr, 1, 2, 3, 4, L"a", L"ff", 0.9, -1, 1, 2), 0);
}

}  // namespace
