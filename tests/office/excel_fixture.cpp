#include "excel_fixture.hpp"

#include "xcore.h"

#include <cstdio>

extern "C" int luaopen_TARVO(lua_State *L);

namespace exceltest {

using namespace tarvo::lua;

namespace {

// The engine's table helper, remembering each table's kind, and a canonical
// description of a table: "L{...}" for lists, "R{...}" for records, keys
// sorted (numbers first), strings quoted.
const char kTables[] = R"lua(
local kinds = setmetatable({}, {__mode = "k"})
BasicLib = {NewTable = function(kind) local t = {}; kinds[t] = kind; return t end}
function DescribeTable(t)
  local keys = {}
  for k in pairs(t) do keys[#keys + 1] = k end
  table.sort(keys, function(a, b)
    if type(a) ~= type(b) then return type(a) == "number" end
    return a < b
  end)
  local parts = {}
  for _, k in ipairs(keys) do
    local v = t[k]
    local text = type(v) == "table" and DescribeTable(v) or type(v) == "string" and string.format("%q", v)
                 or tostring(v)
    parts[#parts + 1] = (type(k) == "string" and k or "[" .. tostring(k) .. "]") .. "=" .. text
  end
  return (kinds[t] == 1 and "L" or kinds[t] == 2 and "R" or "?") .. "{" .. table.concat(parts, ",") .. "}"
end
)lua";

}  // namespace

std::wstring Control::journal() {
  tarvo::com::Bstr text;
  EXPECT_EQ(disp::GetValue(L"%S", text.put(), app_, L"._Journal"), S_OK);
  clear();
  return text.c_str();
}

void Control::clear() { EXPECT_EQ(disp::CallMethod(app_, L"._ClearJournal()"), S_OK); }

// Without a code the mode's own is taken (the code argument is left out).
void Control::fault(const wchar_t *member, const wchar_t *mode, int32_t code, int32_t nth) {
  EXPECT_EQ(code ? disp::CallMethod(app_, L"._Fault(%S, %S, %d, %d)", member, mode, code, nth)
                 : disp::CallMethod(app_, L"._Fault(%S, %S, %m, %d)", member, mode, nth),
            S_OK);
}

void Control::clear_faults() { EXPECT_EQ(disp::CallMethod(app_, L"._ClearFaults()"), S_OK); }

int32_t Control::live() {
  int32_t n = -1;
  EXPECT_EQ(disp::GetValue(L"%d", &n, app_, L".LiveObjects"), S_OK);
  return n;
}

Script::Script() {
  if (!GetModuleHandleW(L"Lunhost.dll")) LoadLibraryW(L"Lunhost.dll");
  if (!resolve_lua_api()) {
    ADD_FAILURE() << "Lunhost.dll must sit beside the test";
    return;
  }
  L_ = api.luaL_newstate();
  api.luaL_openlibs(L_);
  luaopen_TARVO(L_);
  api.lua_setglobal(L_, "T");
  if (api.luaL_loadstring(L_, kTables) || api.lua_pcallk(L_, 0, 0, 0, 0, nullptr)) ADD_FAILURE() << "table helpers";
}

Script::~Script() {
  if (L_) api.lua_close(L_);
}

void Script::set(const char *global, xComObject handle) {
  api.lua_pushinteger(L_, handle);
  api.lua_setglobal(L_, global);
}

std::string Script::run(const std::string &code, bool objects) {
  if (!L_) return "error: no script state";
  const int top = api.lua_gettop(L_);
  if (api.luaL_loadstring(L_, code.c_str()) || api.lua_pcallk(L_, 0, 1, 0, 0, nullptr)) {
    std::string error = "error: ";
    const char *message = api.lua_tolstring(L_, -1, nullptr);
    error += message ? message : "?";
    api.lua_settop(L_, top);
    return error;
  }
  std::string out;
  switch (api.lua_type(L_, -1)) {
    case LUA_TNIL: out = "none"; break;
    case LUA_TBOOLEAN: out = api.lua_toboolean(L_, -1) ? "n:1" : "n:0"; break;
    case LUA_TSTRING: out = std::string("t:") + api.lua_tolstring(L_, -1, nullptr); break;
    case LUA_TNUMBER:
      if (objects && api.lua_isinteger(L_, -1))
        out = describe(static_cast<xComObject>(api.lua_tointegerx(L_, -1, nullptr)));
      else
        out = describe(api.lua_tonumberx(L_, -1, nullptr));
      break;
    case LUA_TTABLE:
      api.lua_getglobal(L_, "DescribeTable");
      api.lua_rotate(L_, -2, 1);
      api.lua_pcallk(L_, 1, 1, 0, 0, nullptr);
      out = api.lua_tolstring(L_, -1, nullptr) ? api.lua_tolstring(L_, -1, nullptr) : "?";
      break;
    default: out = "other";
  }
  api.lua_settop(L_, top);
  return out;
}

std::string describe(int32_t v) { return describe(static_cast<double>(v)); }

std::string describe(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "n:%.15g", v);
  return buf;
}

std::string describe(xComObject object) {
  if (!object) return "o:null";
  reinterpret_cast<IDispatch *>(object)->Release();
  return "o:obj";
}

std::string utf8(const std::wstring &w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::string describe(wchar_t *text) {
  std::string out = "t:" + utf8(text ? text : L"");
  xCore_free(text);
  return out;
}

std::string describe(char *text) {
  std::wstring w;
  if (text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    w.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    if (n > 1) MultiByteToWideChar(CP_ACP, 0, text, -1, w.data(), n);
  }
  xCore_free(text);
  return "t:" + utf8(w);
}

void ExcelTest::SetUp() {
  LeakCheckedTest::SetUp();
  probe_ = Excel_Create();
  ASSERT_NE(probe_, 0) << "is the stand-in spreadsheet server registered?";
  Control c = control();
  c.clear_faults();
  baseline_ = c.live();
  c.clear();
}

void ExcelTest::TearDown() {
  if (probe_) {
    Control c = control();
    c.clear_faults();
    EXPECT_EQ(c.live(), baseline_) << "an automation object was left behind";
    reinterpret_cast<IDispatch *>(probe_)->Release();
  }
  LeakCheckedTest::TearDown();
}

Objects Objects::make() {
  Objects o;
  o.app = Excel_Create();
  o.book = Excel_NewBook(o.app);
  o.sheet = Excel_Book_GetSheet_Index(o.book, 1);
  EXPECT_EQ(Excel_Sheet_SetCellNumber(o.sheet, 2, 3, 3.75), 1);
  o.range = Excel_Sheet_GetCell(o.sheet, 2, 3);
  EXPECT_TRUE(o.app && o.book && o.sheet && o.range);
  return o;
}

void Objects::release() {
  for (xComObject h : {range, sheet, book})
    if (h) reinterpret_cast<IDispatch *>(h)->Release();
  if (app) {
    Excel_Quit(app);
    reinterpret_cast<IDispatch *>(app)->Release();
  }
  *this = {};
}

}  // namespace exceltest
