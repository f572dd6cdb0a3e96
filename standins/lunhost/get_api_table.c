/* GetApiTable(name, slot): hands out the address of a Lua C API function by
 * name. Modules loaded by the engine fetch the runtime this way instead of
 * linking one of their own, so they always run against the engine's state
 * layout. An unknown name stores null. */
#include "lua.h"
#include "lauxlib.h"
#include "lualib.h"

#include <string.h>

typedef void (*any_function)(void);

struct api_entry {
  const char *name;
  any_function address;
};

#define API(f) {#f, (any_function)f}

static const struct api_entry api_entries[] = {
  API(lua_newstate), API(lua_close), API(lua_newthread), API(lua_atpanic),
  API(lua_version), API(lua_absindex), API(lua_gettop), API(lua_settop), API(lua_pushvalue),
  API(lua_rotate), API(lua_copy), API(lua_checkstack), API(lua_xmove),
  API(lua_isnumber), API(lua_isstring), API(lua_iscfunction), API(lua_isinteger),
  API(lua_isuserdata), API(lua_type), API(lua_typename), API(lua_tonumberx), API(lua_tointegerx),
  API(lua_toboolean), API(lua_tolstring), API(lua_rawlen), API(lua_tocfunction),
  API(lua_touserdata), API(lua_tothread), API(lua_topointer),
  API(lua_arith), API(lua_rawequal), API(lua_compare),
  API(lua_pushnil), API(lua_pushnumber), API(lua_pushinteger), API(lua_pushlstring),
  API(lua_pushstring), API(lua_pushvfstring), API(lua_pushfstring), API(lua_pushcclosure),
  API(lua_pushboolean), API(lua_pushlightuserdata), API(lua_pushthread),
  API(lua_getglobal), API(lua_gettable), API(lua_getfield), API(lua_geti), API(lua_rawget),
  API(lua_rawgeti), API(lua_rawgetp), API(lua_createtable), API(lua_newuserdata),
  API(lua_getmetatable), API(lua_getuservalue),
  API(lua_setglobal), API(lua_settable), API(lua_setfield), API(lua_seti), API(lua_rawset),
  API(lua_rawseti), API(lua_rawsetp), API(lua_setmetatable), API(lua_setuservalue),
  API(lua_callk), API(lua_pcallk), API(lua_load), API(lua_dump), API(lua_yieldk), API(lua_resume),
  API(lua_status), API(lua_isyieldable),
  API(lua_gc), API(lua_error), API(lua_next), API(lua_concat), API(lua_len),
  API(lua_stringtonumber), API(lua_getallocf), API(lua_setallocf),
  API(lua_getstack), API(lua_getinfo), API(lua_getlocal), API(lua_setlocal), API(lua_getupvalue),
  API(lua_setupvalue), API(lua_upvalueid), API(lua_upvaluejoin), API(lua_sethook),
  API(lua_gethook), API(lua_gethookmask), API(lua_gethookcount),
  API(luaL_checkversion_), API(luaL_getmetafield), API(luaL_callmeta), API(luaL_tolstring),
  API(luaL_argerror), API(luaL_checklstring), API(luaL_optlstring), API(luaL_checknumber),
  API(luaL_optnumber), API(luaL_checkinteger), API(luaL_optinteger), API(luaL_checkstack),
  API(luaL_checktype), API(luaL_checkany), API(luaL_newmetatable), API(luaL_setmetatable),
  API(luaL_testudata), API(luaL_checkudata), API(luaL_where), API(luaL_error),
  API(luaL_checkoption), API(luaL_fileresult), API(luaL_execresult), API(luaL_ref),
  API(luaL_unref), API(luaL_loadfilex), API(luaL_loadbufferx), API(luaL_loadstring),
  API(luaL_newstate), API(luaL_len), API(luaL_gsub), API(luaL_setfuncs), API(luaL_getsubtable),
  API(luaL_traceback), API(luaL_requiref), API(luaL_buffinit), API(luaL_prepbuffsize),
  API(luaL_addlstring), API(luaL_addstring), API(luaL_addvalue), API(luaL_pushresult),
  API(luaL_pushresultsize), API(luaL_buffinitsize),
  /* luaL_pushmodule and luaL_openlib exist only with LUA_COMPAT_MODULE, which
   * this runtime is built without: asked for, they get null. */
  API(luaopen_base), API(luaopen_coroutine), API(luaopen_table), API(luaopen_io),
  API(luaopen_os), API(luaopen_string), API(luaopen_utf8), API(luaopen_bit32),
  API(luaopen_math), API(luaopen_debug), API(luaopen_package), API(luaL_openlibs),
};

__declspec(dllexport) int GetApiTable(const char *name, void **slot) {
  size_t i;
  if (!slot) return 0;
  *slot = NULL;
  if (!name) return 0;
  for (i = 0; i < sizeof api_entries / sizeof api_entries[0]; ++i) {
    if (strcmp(api_entries[i].name, name) == 0) {
      *slot = (void *)api_entries[i].address;
      return 1;
    }
  }
  return 0;
}
