// The binding's C side: opening the module without the engine's runtime, and
// the resolution of the Lua API from Lunhost.dll. The cases without the
// runtime come first: once a case loads Lunhost.dll it stays in the process.
#include "lua_api.hpp"
#include "registry.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

using namespace tarvo::lua;

namespace {

bool host_loaded() { return GetModuleHandleW(L"Lunhost.dll") != nullptr; }

HMODULE load_host() {
  HMODULE host = LoadLibraryW(L"Lunhost.dll");
  EXPECT_NE(host, nullptr) << "Lunhost.dll must sit beside the test";
  return host;
}

}  // namespace

TEST(LuaOpenWithoutHost, ReturnsZeroAndTouchesNothing) {
  ASSERT_FALSE(host_loaded());
  EXPECT_EQ(luaopen_TARVO(nullptr), 0);
  // A state pointer that would crash if anything used it.
  auto *bogus = reinterpret_cast<lua_State *>(static_cast<uintptr_t>(0x10));
  EXPECT_EQ(luaopen_TARVO(bogus), 0);
}

TEST(LuaApiResolution, WithoutHostLeavesEverySlotEmpty) {
  ASSERT_FALSE(host_loaded());
  EXPECT_FALSE(resolve_lua_api());
  const LuaApiName *names = lua_api_names();
  for (int i = 0; i < kLuaApiNameCount; ++i)
    if (names[i].kept) {
      EXPECT_EQ(*names[i].slot, nullptr) << names[i].name;
    }
}

TEST(LuaApiResolution, FillsEverySlotWithTheHostsFunction) {
  HMODULE host = load_host();
  ASSERT_TRUE(host);
  ASSERT_TRUE(resolve_lua_api());
  const LuaApiName *names = lua_api_names();
  for (int i = 0; i < kLuaApiNameCount; ++i) {
    if (!names[i].kept) continue;
    void *expected = reinterpret_cast<void *>(GetProcAddress(host, names[i].name));
    ASSERT_NE(expected, nullptr) << names[i].name;
    EXPECT_EQ(*names[i].slot, expected) << names[i].name;
  }
  EXPECT_EQ(reinterpret_cast<void *>(api.lua_gettop), reinterpret_cast<void *>(GetProcAddress(host, "lua_gettop")));
}

TEST(LuaOpenWithHost, ReturnsTheModuleTable) {
  ASSERT_TRUE(load_host());
  ASSERT_TRUE(resolve_lua_api());
  lua_State *L = api.luaL_newstate();
  ASSERT_NE(L, nullptr);
  api.luaL_openlibs(L);
  // The module registers through the DLL's own copy of the table, resolved
  // by its own luaopen_TARVO.
  ASSERT_EQ(luaopen_TARVO(L), 1);
  ASSERT_EQ(api.lua_type(L, -1), LUA_TTABLE);
  int functions = 0;
  api.lua_pushnil(L);
  while (api.lua_next(L, -2)) {
    EXPECT_EQ(api.lua_type(L, -1), LUA_TFUNCTION);
    ++functions;
    api.lua_settop(L, -2);
  }
  EXPECT_GE(functions, 43);
  EXPECT_EQ(api.lua_getfield(L, -1, "DaysInMonth"), LUA_TFUNCTION);
  api.lua_close(L);
}

// A host lacking any function of the table is refused when the module opens,
// with an error naming the function, not when a call first needs it.
TEST(LuaOpenWithPartialHost, RefusesNamingTheMissingFunction) {
  ASSERT_FALSE(host_loaded());
  wchar_t exe[MAX_PATH];
  std::wstring folder(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
  folder.resize(folder.rfind(L'\\') + 1);
  ASSERT_NE(LoadLibraryW((folder + L"partial_host\\Lunhost.dll").c_str()), nullptr);
  ASSERT_TRUE(resolve_lua_api());
  EXPECT_STREQ(missing_lua_api(), "lua_upvaluejoin");
  lua_State *L = api.luaL_newstate();
  ASSERT_NE(L, nullptr);
  api.lua_pushcclosure(L, luaopen_TARVO, 0);
  ASSERT_NE(api.lua_pcallk(L, 0, 1, 0, 0, nullptr), LUA_OK);
  const char *message = api.lua_tolstring(L, -1, nullptr);
  ASSERT_NE(message, nullptr);
  EXPECT_NE(std::string(message).find("lua_upvaluejoin"), std::string::npos) << message;
  api.lua_close(L);
}
