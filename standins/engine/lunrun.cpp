// lunrun [--count-allocations] script.lua [arguments...]
//
// Runs a Lua script the way the automation engine does: a state of the
// engine's runtime (Lunhost.dll) with the standard libraries and the global
// BasicLib, and `require "TARVO"` opening tarvo.dll from the program's folder
// through luaopen_TARVO. The script's arguments are in the global `arg`
// (arg[0] is the script) and in `...`. A script error prints its message and
// traceback and makes the exit code 1.
//
// --count-allocations: once tarvo.dll is loaded, its allocations are counted
// (the record's allocator slots and its import of free are replaced) and the
// global function LiveLibraryBlocks() returns the number of library blocks
// allocated since then and not yet released. HeapSound() checks every heap of
// the process.
extern "C" {
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
}

#include "alloc_ledger.hpp"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// The engine's table helper: NewTable(kind) gives a fresh table and
// remembers its kind (1 list, 2 record) for TableKind(t).
const char kBasicLib[] = R"lua(
local kinds = setmetatable({}, {__mode = "k"})
BasicLib = {
  NewTable = function(kind) local t = {}; kinds[t] = kind; return t end,
  TableKind = function(t) return kinds[t] end,
}
)lua";

bool g_count_allocations = false;
std::unique_ptr<tarvo::test::AllocationLedger> g_ledger;

std::string utf8(const std::wstring &w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::wstring program_folder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

int live_library_blocks(lua_State *L) {
  lua_pushinteger(L, g_ledger ? static_cast<lua_Integer>(g_ledger->live()) : 0);
  return 1;
}

// HeapSound(): true when every heap of the process passes the system's
// check of its blocks (a write past the end of a block breaks it).
int heap_sound(lua_State *L) {
  HANDLE heaps[256];
  DWORD n = GetProcessHeaps(256, heaps);
  bool sound = n > 0 && n <= 256;
  for (DWORD i = 0; sound && i < n; ++i) sound = HeapValidate(heaps[i], 0, nullptr) != FALSE;
  lua_pushboolean(L, sound);
  return 1;
}

// package.preload.TARVO: the module lives in tarvo.dll beside the program.
int open_tarvo(lua_State *L) {
  HMODULE library = LoadLibraryW((program_folder() + L"tarvo.dll").c_str());
  if (!library) return luaL_error(L, "cannot load tarvo.dll (error %d)", static_cast<int>(GetLastError()));
  auto open = reinterpret_cast<lua_CFunction>(GetProcAddress(library, "luaopen_TARVO"));
  if (!open) return luaL_error(L, "tarvo.dll has no luaopen_TARVO");
  if (g_count_allocations && !g_ledger) {
    auto *record = reinterpret_cast<xCoreRecord *>(GetProcAddress(library, "xCore"));
    if (!record) return luaL_error(L, "tarvo.dll has no xCore record");
    g_ledger = std::make_unique<tarvo::test::AllocationLedger>(record, library);
    if (!g_ledger->watches_free()) return luaL_error(L, "tarvo.dll's import of free was not found");
  }
  int results = open(L);
  if (results != 1 || !lua_istable(L, -1)) return luaL_error(L, "luaopen_TARVO returned no module table");
  return 1;
}

int traceback(lua_State *L) {
  const char *message = lua_tostring(L, 1);
  if (!message) message = luaL_tolstring(L, 1, nullptr);
  luaL_traceback(L, L, message, 1);
  return 1;
}

bool read_file(const std::wstring &path, std::string &content) {
  FILE *f = _wfopen(path.c_str(), L"rb");
  if (!f) return false;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) content.append(buffer, n);
  fclose(f);
  return true;
}

int usage() {
  std::fputs("usage: lunrun [--count-allocations] script.lua [arguments...]\n", stderr);
  return 2;
}

int run(lua_State *L, const std::vector<std::wstring> &args, size_t script_at) {
  luaL_openlibs(L);
  if (luaL_dostring(L, kBasicLib) != LUA_OK) return 1;
  lua_getglobal(L, "package");
  lua_getfield(L, -1, "preload");
  lua_pushcfunction(L, open_tarvo);
  lua_setfield(L, -2, "TARVO");
  lua_pop(L, 2);
  if (g_count_allocations) lua_register(L, "LiveLibraryBlocks", live_library_blocks);
  lua_register(L, "HeapSound", heap_sound);

  lua_createtable(L, static_cast<int>(args.size() - script_at), 1);
  for (size_t i = script_at; i < args.size(); ++i) {
    lua_pushstring(L, utf8(args[i]).c_str());
    lua_rawseti(L, -2, static_cast<lua_Integer>(i - script_at));
  }
  lua_setglobal(L, "arg");

  std::string source;
  std::string chunkname = "@" + utf8(args[script_at]);
  if (!read_file(args[script_at], source)) {
    std::fprintf(stderr, "lunrun: cannot read %s\n", chunkname.c_str() + 1);
    return 1;
  }
  lua_pushcfunction(L, traceback);
  if (luaL_loadbufferx(L, source.data(), source.size(), chunkname.c_str(), "t") != LUA_OK) {
    std::fprintf(stderr, "%s\n", lua_tostring(L, -1));
    return 1;
  }
  for (size_t i = script_at + 1; i < args.size(); ++i) lua_pushstring(L, utf8(args[i]).c_str());
  if (lua_pcall(L, static_cast<int>(args.size() - script_at - 1), 0, 1) != LUA_OK) {
    std::fprintf(stderr, "%s\n", lua_tostring(L, -1));
    return 1;
  }
  return 0;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args(argv, argv + argc);
  LocalFree(argv);
  size_t script_at = 1;
  if (script_at < args.size() && args[script_at] == L"--count-allocations") {
    g_count_allocations = true;
    ++script_at;
  }
  if (script_at >= args.size()) return usage();

  lua_State *L = luaL_newstate();
  if (!L) return 1;
  int status = run(L, args, script_at);
  std::fflush(stdout);
  lua_close(L);
  g_ledger.reset();
  return status;
}
