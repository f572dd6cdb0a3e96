// The binding's C side: opening the module without the engine's runtime, and
// with a host that lacks a function. Each case runs in a process of its own.
#include "lua_api.hpp"
#include "registry.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

using namespace tarvo::lua;

TEST(LuaWithoutHost, OpenReturnsZeroAndResolutionLeavesEverySlotEmpty) {
  ASSERT_EQ(GetModuleHandleW(L"Lunhost.dll"), nullptr);
  EXPECT_EQ(luaopen_TARVO(nullptr), 0);
  // A state pointer that would crash if anything used it.
  EXPECT_EQ(luaopen_TARVO(reinterpret_cast<lua_State *>(static_cast<uintptr_t>(0x10))), 0);
  EXPECT_FALSE(resolve_lua_api());
  for (int i = 0; i < kLuaApiNameCount; ++i)
    EXPECT_TRUE(!lua_api_names()[i].kept || !*lua_api_names()[i].slot) << lua_api_names()[i].name;
}

// A host lacking any function of the table is refused when the module opens,
// with an error naming the function, not when a call first needs it.
TEST(LuaOpenWithPartialHost, RefusesNamingTheMissingFunction) {
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
