#include "member_test.hpp"

#include <algorithm>
#include <cstdio>
#include <cwchar>

extern "C" int luaopen_TARVO(lua_State *L);

namespace membertest {

// The engine's table helper, remembering each table's kind, and the
// description of a script result (tables with sorted keys and quoted strings;
// an object handle released).
const char kDescribe[] = R"lua(
local kinds = setmetatable({}, {__mode = "k"})
BasicLib = {NewTable = function(kind) local t = {}; kinds[t] = kind; return t end}
local function table_text(t)
  local parts = {}
  for k, v in pairs(t) do
    local text = type(v) == "table" and table_text(v) or type(v) == "string" and string.format("%q", v) or tostring(v)
    parts[#parts + 1] = (type(k) == "string" and k or "[" .. k .. "]") .. "=" .. text
  end
  table.sort(parts)
  return (kinds[t] == 1 and "L" or kinds[t] == 2 and "R" or "?") .. "{" .. table.concat(parts, ",") .. "}"
end
function Describe(objects, chunk)
  if type(chunk) ~= "function" then return "error: " .. chunk end
  local ok, v = pcall(chunk)
  if not ok then return "error: " .. tostring(v) end
  if objects and math.type(v) == "integer" then
    T.COM_Release(v)
    return v == 0 and "o:null" or "o:obj"
  end
  if type(v) == "number" then return string.format("n:%.15g", v) end
  if type(v) == "boolean" then return v and "n:1" or "n:0" end
  if type(v) == "table" then return table_text(v) end
  return v == nil and "none" or "t:" .. tostring(v)
end
)lua";

using namespace tarvo::lua;

std::wstring Control::journal() {
  tarvo::com::Bstr text;
  EXPECT_EQ(disp::GetValue(L"%S", text.put(), app_, L"._Journal"), S_OK);
  clear();
  return text.c_str();
}

void Control::fault(const wchar_t *member, const wchar_t *mode, int32_t code, int32_t nth) {
  EXPECT_EQ(code ? disp::CallMethod(app_, L"._Fault(%S, %S, %d, %d)", member, mode, code, nth)
                 : disp::CallMethod(app_, L"._Fault(%S, %S, %m, %d)", member, mode, nth),
            S_OK);
}

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
  if (api.luaL_loadstring(L_, kDescribe) || api.lua_pcallk(L_, 0, 0, 0, 0, nullptr)) ADD_FAILURE() << "describing";
}

void Script::set(const char *global, xComObject handle) {
  api.lua_pushinteger(L_, handle);
  api.lua_setglobal(L_, global);
}

std::string Script::run(const std::string &code, bool objects) {
  if (!L_) return "error: no script state";
  const int top = api.lua_gettop(L_);
  api.lua_getglobal(L_, "Describe");
  api.lua_pushboolean(L_, objects);
  api.luaL_loadstring(L_, code.c_str());  // the chunk, or why it is none
  api.lua_pcallk(L_, 2, 1, 0, 0, nullptr);
  const char *text = api.lua_tolstring(L_, -1, nullptr);
  std::string out = text ? text : "?";
  api.lua_settop(L_, top);
  return out;
}

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

// A text copied from the server is its characters and a terminator, nothing read beyond them.
std::string describe(wchar_t *text) {
  const size_t block = tarvo::test::AllocationLedger::block_size(text);
  if (block) {
    EXPECT_EQ(block, (std::wcslen(text) + 1) * sizeof(wchar_t)) << utf8(text) << ": the copy's size";
  }
  std::string out = "t:" + utf8(text ? text : L"");
  xCore_free(text);
  return out;
}

std::string describe(char *text) {
  std::wstring w(text ? std::max(MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0), 1) : 1, L'\0');
  if (text) MultiByteToWideChar(CP_ACP, 0, text, -1, w.data(), static_cast<int>(w.size()));
  xCore_free(text);
  return "t:" + utf8(w.c_str());
}

// Disarms the faults, notes the live objects and clears the journal.
bool ProbedTest::take_probe(xComObject probe) {
  probe_ = probe;
  if (!probe_) return false;
  control().clear_faults();
  baseline_ = control().live();
  control().clear();
  return true;
}

void ProbedTest::TearDown() {
  if (probe_) {
    control().clear_faults();
    EXPECT_EQ(control().live(), baseline_) << "an automation object was left behind";
    reinterpret_cast<IDispatch *>(probe_)->Release();
  }
  LeakCheckedTest::TearDown();
}

}  // namespace membertest
