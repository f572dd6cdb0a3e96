// Every late-bound row against the stand-in's journal in the W form, the A
// form (ANSI text beyond ASCII) and the Lua function, with the same result;
// the failure values for handle 0 and for a failing object; the Lua
// argument counts.
#include "op_fixture.hpp"

#include "xcore.h"

#include <functional>
#include <string_view>

namespace optest {
namespace {

using membertest::kE1;
using membertest::kE2;
using membertest::kE3;

struct Row {
  const char *name;
  std::function<std::string(OpObject *)> w, a;  // a: null for single exports
  std::string lua;  // the arguments after the handle in script form, or "-" without a Lua function
  const char *result;
  const wchar_t *journal;
};

// The C arguments after the handle as script arguments.
std::string script_args(std::string_view c) {
  std::string out;
  for (size_t i = 0; i < c.size(); ++i) {
    if (c.substr(i, 2) == "kE") {
      out += "'\xc3\xa9" + std::string(1, c[i + 2]) + "'";
      i += 2;
    } else {
      out += c[i];
    }
  }
  return out;
}

#define ROW(name, w, a, lua, result, journal, ...) \
  Row { #name, [](OpObject *h) { return describe(w(h __VA_OPT__(, ) __VA_ARGS__)); }, a, lua, result, journal }
#define A_FORM(name, ...) [](OpObject *h) { return describe(name##A(h __VA_OPT__(, ) __VA_ARGS__)); }
#define ONE(name, result, journal, ...) ROW(name, name, nullptr, script_args(#__VA_ARGS__), result, journal, __VA_ARGS__)
#define WA(name, result, journal, ...) \
  ROW(name, name##W, A_FORM(name, __VA_ARGS__), script_args(#__VA_ARGS__), result, journal, __VA_ARGS__)

#define RECT L"I4:1,I4:2,I4:3,I4:4,"
const Row kRows[] = {
    WA(OP_Ver, "t:\u00e9Ver", L"get Ver()\n"),
    WA(OP_GetBasePath, "t:\u00e9GetBasePath", L"get GetBasePath()\n"),
    WA(OP_GetPath, "t:\u00e9GetPath", L"get GetPath()\n"),
    WA(OP_SetPath, "n:7", L"get SetPath(BSTR:\u00e91)\n", kE1),
    ONE(OP_SetShowErrorMsg, "n:7", L"get SetShowErrorMsg(I4:1)\n", 1),
    WA(OP_BindWindow, "n:7", L"get BindWindow(I4:65552,BSTR:\u00e91,BSTR:\u00e92,BSTR:\u00e93,I4:101)\n", 65552, kE1, kE2, kE3, 101),
    ROW(OP_UnBindWindow, OP_UnBindWindow, nullptr, "-", "n:7", L"get UnBindWindow()\n"),
    WA(OP_RunApp, "n:7", L"get RunApp(BSTR:\u00e91,I4:1)\n", kE1, 1),
    WA(OP_WinExec, "n:7", L"get WinExec(BSTR:\u00e91,I4:0)\n", kE1, 0),
    WA(OP_GetCmdStr, "t:\u00e9GetCmdStr", L"get GetCmdStr(BSTR:\u00e91,I4:500)\n", kE1, 500),
    WA(OP_SetDisplayInput, "n:7", L"get SetDisplayInput(BSTR:\u00e91)\n", kE1),
    WA(OP_SetDict, "n:7", L"get SetDict(I4:2,BSTR:\u00e91)\n", 2, kE1),
    ONE(OP_UseDict, "n:7", L"get UseDict(I4:2)\n", 2),
    WA(OP_Capture, "n:7", L"get Capture(" RECT L"BSTR:\u00e91)\n", 1, 2, 3, 4, kE1),
    WA(OP_CapturePre, "n:7", L"get CapturePre(BSTR:\u00e91)\n", kE1),
    WA(OP_GetColor, "t:\u00e9GetColor", L"get GetColor(I4:5,I4:-6)\n", 5, -6),
    WA(OP_CmpColor, "n:7", L"get CmpColor(I4:5,I4:6,BSTR:\u00e91,R8:0.9)\n", 5, 6, kE1, 0.9),
    WA(OP_FindColorEx, "t:\u00e9FindColorEx", L"get FindColorEx(" RECT L"BSTR:\u00e91,R8:0.9,I4:3)\n", 1, 2, 3, 4, kE1, 0.9, 3),
    WA(OP_FindMultiColorEx, "t:\u00e9FindMultiColorEx", L"get FindMultiColorEx(" RECT L"BSTR:\u00e91,BSTR:\u00e92,R8:0.5,I4:1)\n", 1, 2, 3, 4, kE1, kE2, 0.5, 1),
    WA(OP_FindPicEx, "t:\u00e9FindPicEx", L"get FindPicEx(" RECT L"BSTR:\u00e91,BSTR:\u00e92,R8:0.5,I4:1)\n", 1, 2, 3, 4, kE1, kE2, 0.5, 1),
    WA(OP_Ocr, "t:\u00e9Ocr", L"get Ocr(" RECT L"BSTR:\u00e91,R8:0.75)\n", 1, 2, 3, 4, kE1, 0.75),
    WA(OP_OcrEx, "t:\u00e9OcrEx", L"get OcrEx(" RECT L"BSTR:\u00e91,R8:0.75)\n", 1, 2, 3, 4, kE1, 0.75),
    WA(OP_OcrAuto, "t:\u00e9OcrAuto", L"get OcrAuto(" RECT L"R8:0.75)\n", 1, 2, 3, 4, 0.75),
    WA(OP_OcrFromFile, "t:\u00e9OcrFromFile", L"get OcrFromFile(BSTR:\u00e91,BSTR:\u00e92,R8:0.75)\n", kE1, kE2, 0.75),
    WA(OP_OcrAutoFromFile, "t:\u00e9OcrAutoFromFile", L"get OcrAutoFromFile(BSTR:\u00e91,R8:0.75)\n", kE1, 0.75),
    WA(OP_FindStrEx, "t:\u00e9FindStrEx", L"get FindStrEx(" RECT L"BSTR:\u00e91,BSTR:\u00e92,R8:0.75)\n", 1, 2, 3, 4, kE1, kE2, 0.75),
    ONE(OP_MoveTo, "n:7", L"get MoveTo(I4:10,I4:-20)\n", 10, -20),
    ONE(OP_MoveR, "n:7", L"get MoveR(I4:-1,I4:1)\n", -1, 1),
    ONE(OP_MoveToEx, "n:7", L"get MoveToEx(I4:1,I4:2,I4:3,I4:4)\n", 1, 2, 3, 4),
    ONE(OP_LeftClick, "n:7", L"get LeftClick()\n"),
    ONE(OP_LeftDoubleClick, "n:7", L"get LeftDoubleClick()\n"),
    ONE(OP_LeftDown, "n:7", L"get LeftDown()\n"),
    ONE(OP_LeftUp, "n:7", L"get LeftUp()\n"),
    ONE(OP_MiddleClick, "n:7", L"get MiddleClick()\n"),
    ONE(OP_MiddleDown, "n:7", L"get MiddleDown()\n"),
    ONE(OP_MiddleUp, "n:7", L"get MiddleUp()\n"),
    ONE(OP_RightClick, "n:7", L"get RightClick()\n"),
    ONE(OP_RightDown, "n:7", L"get RightDown()\n"),
    ONE(OP_RightUp, "n:7", L"get RightUp()\n"),
    ONE(OP_WheelDown, "n:7", L"get WheelDown()\n"),
    ONE(OP_WheelUp, "n:7", L"get WheelUp()\n"),
    ONE(OP_GetKeyState, "n:7", L"get GetKeyState(I4:13)\n", 13),
    ONE(OP_KeyPress, "n:7", L"get KeyPress(I4:13)\n", 13),
    ONE(OP_KeyDown, "n:7", L"get KeyDown(I4:13)\n", 13),
    ONE(OP_KeyUp, "n:7", L"get KeyUp(I4:13)\n", 13),
    WA(OP_KeyPressChar, "n:7", L"get KeyPressChar(BSTR:\u00e91)\n", kE1),
    WA(OP_KeyDownChar, "n:7", L"get KeyDownChar(BSTR:\u00e91)\n", kE1),
    WA(OP_KeyUpChar, "n:7", L"get KeyUpChar(BSTR:\u00e91)\n", kE1),
};

// Script functions that push nothing.
bool pushes_nothing(const std::string &name) {
  return name.rfind("OP_Key", 0) == 0 && name != "OP_GetKeyState";
}

std::string lua_call(const Row &row, const std::string &extra = "") {
  std::string args = row.lua.empty() ? "h" : "h, " + row.lua;
  return "return T." + std::string(row.name) + "(" + args + extra + ")";
}

class OpMembers : public OpTest {};

TEST_F(OpMembers, EveryRowSendsItsExpressionInEveryForm) {
  for (const Row &row : kRows) {
    SCOPED_TRACE(row.name);
    const std::string w = row.w(h_);
    EXPECT_EQ(w, row.result) << "W result";
    EXPECT_EQ(utf8(control().journal()), utf8(row.journal)) << "W journal";
    if (row.a) {
      EXPECT_EQ(row.a(h_), w) << "A result";
      EXPECT_EQ(utf8(control().journal()), utf8(row.journal)) << "A journal";
    }
    if (row.lua != "-") {
      EXPECT_EQ(script_.run(lua_call(row)), pushes_nothing(row.name) ? "none" : w) << lua_call(row);
      EXPECT_EQ(utf8(control().journal()), utf8(row.journal)) << "Lua journal of " << lua_call(row);
      EXPECT_TRUE(count_error(script_.run(lua_call(row, ", 0")))) << "one argument too many";
      EXPECT_TRUE(count_error(script_.run("return T." + std::string(row.name) + "()")));
    }
  }
  EXPECT_EQ(script_.run("return T.OP_UnBindWindow"), "none") << "a C export only";
}

std::string failure_of(const Row &row, bool lua) {
  if (std::string(row.name) == "OP_CmpColor") return "n:1";
  if (lua && pushes_nothing(row.name)) return "none";
  return row.result[0] == 't' ? "t:" : "n:0";
}

TEST_F(OpMembers, AMissingOrFailingObjectGivesTheFailureValue) {
  OpObject empty{};
  for (const Row &row : kRows) {
    SCOPED_TRACE(row.name);
    for (OpObject *none : {static_cast<OpObject *>(nullptr), &empty}) {
      EXPECT_EQ(row.w(none), failure_of(row, false)) << "W";
      if (row.a) EXPECT_EQ(row.a(none), failure_of(row, false)) << "A";
    }
    if (row.lua != "-") {
      script_.set("h", 0);
      EXPECT_EQ(script_.run(lua_call(row)), failure_of(row, true)) << "Lua";
      script_.set("h", reinterpret_cast<xComObject>(h_));
    }
    EXPECT_EQ(control().journal(), L"");
    const std::wstring journal = row.journal;
    const std::wstring member = journal.substr(4, journal.find(L'(') - 4);
    control().fault(member.c_str(), L"raise");
    EXPECT_EQ(row.w(h_), failure_of(row, false)) << "W, failing";
    if (row.a) EXPECT_EQ(row.a(h_), failure_of(row, false)) << "A, failing";
    control().clear_faults();
    control().clear();
  }
}

}  // namespace
}  // namespace optest
