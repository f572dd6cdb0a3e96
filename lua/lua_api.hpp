// The Lua 5.3 C API as this library sees it: the types of the engine's
// runtime (64-bit integers, double numbers) and one process-wide table of
// function pointers, filled at run time from the engine's host DLL
// (Lunhost.dll, export GetApiTable). The library links no Lua runtime and
// includes no Lua header: every Lua call goes through `api`, so the module
// always runs against the very runtime whose states it is handed.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

struct lua_State;
struct lua_Debug;
struct luaL_Buffer;

namespace tarvo::lua {

using lua_Integer = long long;
using lua_Number = double;
using lua_KContext = intptr_t;
using lua_CFunction = int (*)(lua_State *);
using lua_KFunction = int (*)(lua_State *, int, lua_KContext);
using lua_Reader = const char *(*)(lua_State *, void *, size_t *);
using lua_Writer = int (*)(lua_State *, const void *, size_t, void *);
using lua_Alloc = void *(*)(void *, void *, size_t, size_t);
using lua_Hook = void (*)(lua_State *, lua_Debug *);

struct luaL_Reg {
  const char *name;
  lua_CFunction func;
};

inline constexpr int LUA_OK = 0;
inline constexpr int LUA_MULTRET = -1;
inline constexpr int LUA_TNONE = -1;
inline constexpr int LUA_TNIL = 0;
inline constexpr int LUA_TBOOLEAN = 1;
inline constexpr int LUA_TNUMBER = 3;
inline constexpr int LUA_TSTRING = 4;
inline constexpr int LUA_TTABLE = 5;
inline constexpr int LUA_TFUNCTION = 6;
inline constexpr int LUA_REGISTRYINDEX = -1000000 - 1000;  // -LUAI_MAXSTACK - 1000
inline constexpr lua_Number LUA_VERSION_NUM = 503;
// sizeof(lua_Integer) * 16 + sizeof(lua_Number): the numeric types the engine
// must use.
inline constexpr size_t LUAL_NUMSIZES = sizeof(lua_Integer) * 16 + sizeof(lua_Number);

using State = lua_State *;

// Every name the library asks the host DLL for, in the order it asks.
// SLOT(name, result, parameters) keeps the address; DISCARD(name) asks for a
// name whose address is not kept.
#define TARVO_LUA_API(SLOT, DISCARD)                                                                \
  /* state */                                                                                       \
  SLOT(lua_newstate, State, (lua_Alloc, void *))                                                    \
  SLOT(lua_close, void, (State))                                                                    \
  SLOT(lua_newthread, State, (State))                                                               \
  SLOT(lua_atpanic, lua_CFunction, (State, lua_CFunction))                                          \
  /* basic stack */                                                                                 \
  SLOT(lua_version, const lua_Number *, (State))                                                    \
  SLOT(lua_absindex, int, (State, int))                                                             \
  SLOT(lua_gettop, int, (State))                                                                    \
  SLOT(lua_settop, void, (State, int))                                                              \
  SLOT(lua_pushvalue, void, (State, int))                                                           \
  SLOT(lua_rotate, void, (State, int, int))                                                         \
  SLOT(lua_copy, void, (State, int, int))                                                           \
  SLOT(lua_checkstack, int, (State, int))                                                           \
  SLOT(lua_xmove, void, (State, State, int))                                                        \
  /* access */                                                                                      \
  SLOT(lua_isnumber, int, (State, int))                                                             \
  SLOT(lua_isstring, int, (State, int))                                                             \
  SLOT(lua_iscfunction, int, (State, int))                                                          \
  SLOT(lua_isinteger, int, (State, int))                                                            \
  SLOT(lua_isuserdata, int, (State, int))                                                           \
  SLOT(lua_type, int, (State, int))                                                                 \
  SLOT(lua_typename, const char *, (State, int))                                                    \
  SLOT(lua_tonumberx, lua_Number, (State, int, int *))                                              \
  SLOT(lua_tointegerx, lua_Integer, (State, int, int *))                                            \
  SLOT(lua_toboolean, int, (State, int))                                                            \
  SLOT(lua_tolstring, const char *, (State, int, size_t *))                                         \
  SLOT(lua_rawlen, size_t, (State, int))                                                            \
  SLOT(lua_tocfunction, lua_CFunction, (State, int))                                                \
  SLOT(lua_touserdata, void *, (State, int))                                                        \
  SLOT(lua_tothread, State, (State, int))                                                           \
  SLOT(lua_topointer, const void *, (State, int))                                                   \
  /* comparison and arithmetic */                                                                   \
  SLOT(lua_arith, void, (State, int))                                                               \
  SLOT(lua_rawequal, int, (State, int, int))                                                        \
  SLOT(lua_compare, int, (State, int, int, int))                                                    \
  /* push */                                                                                        \
  SLOT(lua_pushnil, void, (State))                                                                  \
  SLOT(lua_pushnumber, void, (State, lua_Number))                                                   \
  SLOT(lua_pushinteger, void, (State, lua_Integer))                                                 \
  SLOT(lua_pushlstring, const char *, (State, const char *, size_t))                                \
  SLOT(lua_pushstring, const char *, (State, const char *))                                         \
  SLOT(lua_pushvfstring, const char *, (State, const char *, va_list))                              \
  SLOT(lua_pushfstring, const char *, (State, const char *, ...))                                   \
  SLOT(lua_pushcclosure, void, (State, lua_CFunction, int))                                         \
  SLOT(lua_pushboolean, void, (State, int))                                                         \
  SLOT(lua_pushlightuserdata, void, (State, void *))                                                \
  SLOT(lua_pushthread, int, (State))                                                                \
  /* get */                                                                                         \
  SLOT(lua_getglobal, int, (State, const char *))                                                   \
  SLOT(lua_gettable, int, (State, int))                                                             \
  SLOT(lua_getfield, int, (State, int, const char *))                                               \
  SLOT(lua_geti, int, (State, int, lua_Integer))                                                    \
  SLOT(lua_rawget, int, (State, int))                                                               \
  SLOT(lua_rawgeti, int, (State, int, lua_Integer))                                                 \
  SLOT(lua_rawgetp, int, (State, int, const void *))                                                \
  SLOT(lua_createtable, void, (State, int, int))                                                    \
  SLOT(lua_newuserdata, void *, (State, size_t))                                                    \
  SLOT(lua_getmetatable, int, (State, int))                                                         \
  SLOT(lua_getuservalue, int, (State, int))                                                         \
  /* set */                                                                                         \
  SLOT(lua_setglobal, void, (State, const char *))                                                  \
  SLOT(lua_settable, void, (State, int))                                                            \
  SLOT(lua_setfield, void, (State, int, const char *))                                              \
  SLOT(lua_seti, void, (State, int, lua_Integer))                                                   \
  SLOT(lua_rawset, void, (State, int))                                                              \
  SLOT(lua_rawseti, void, (State, int, lua_Integer))                                                \
  SLOT(lua_rawsetp, void, (State, int, const void *))                                               \
  SLOT(lua_setmetatable, int, (State, int))                                                         \
  SLOT(lua_setuservalue, void, (State, int))                                                        \
  /* call, load, coroutine */                                                                       \
  SLOT(lua_callk, void, (State, int, int, lua_KContext, lua_KFunction))                             \
  SLOT(lua_pcallk, int, (State, int, int, int, lua_KContext, lua_KFunction))                        \
  SLOT(lua_load, int, (State, lua_Reader, void *, const char *, const char *))                      \
  SLOT(lua_dump, int, (State, lua_Writer, void *, int))                                             \
  SLOT(lua_yieldk, int, (State, int, lua_KContext, lua_KFunction))                                  \
  SLOT(lua_resume, int, (State, State, int))                                                        \
  SLOT(lua_status, int, (State))                                                                    \
  SLOT(lua_isyieldable, int, (State))                                                               \
  /* miscellaneous */                                                                               \
  SLOT(lua_gc, int, (State, int, int))                                                              \
  SLOT(lua_error, int, (State))                                                                     \
  SLOT(lua_next, int, (State, int))                                                                 \
  SLOT(lua_concat, void, (State, int))                                                              \
  SLOT(lua_len, void, (State, int))                                                                 \
  SLOT(lua_stringtonumber, size_t, (State, const char *))                                           \
  SLOT(lua_getallocf, lua_Alloc, (State, void **))                                                  \
  SLOT(lua_setallocf, void, (State, lua_Alloc, void *))                                             \
  /* debug */                                                                                       \
  SLOT(lua_getstack, int, (State, int, lua_Debug *))                                                \
  SLOT(lua_getinfo, int, (State, const char *, lua_Debug *))                                        \
  SLOT(lua_getlocal, const char *, (State, const lua_Debug *, int))                                 \
  SLOT(lua_setlocal, const char *, (State, const lua_Debug *, int))                                 \
  SLOT(lua_getupvalue, const char *, (State, int, int))                                             \
  SLOT(lua_setupvalue, const char *, (State, int, int))                                             \
  SLOT(lua_upvalueid, void *, (State, int, int))                                                    \
  SLOT(lua_upvaluejoin, void, (State, int, int, int, int))                                          \
  SLOT(lua_sethook, void, (State, lua_Hook, int, int))                                              \
  SLOT(lua_gethook, lua_Hook, (State))                                                              \
  SLOT(lua_gethookmask, int, (State))                                                               \
  SLOT(lua_gethookcount, int, (State))                                                              \
  /* auxiliary library */                                                                           \
  SLOT(luaL_checkversion_, void, (State, lua_Number, size_t))                                       \
  SLOT(luaL_getmetafield, int, (State, int, const char *))                                          \
  SLOT(luaL_callmeta, int, (State, int, const char *))                                              \
  SLOT(luaL_tolstring, const char *, (State, int, size_t *))                                        \
  SLOT(luaL_argerror, int, (State, int, const char *))                                              \
  SLOT(luaL_checklstring, const char *, (State, int, size_t *))                                     \
  SLOT(luaL_optlstring, const char *, (State, int, const char *, size_t *))                         \
  SLOT(luaL_checknumber, lua_Number, (State, int))                                                  \
  SLOT(luaL_optnumber, lua_Number, (State, int, lua_Number))                                        \
  SLOT(luaL_checkinteger, lua_Integer, (State, int))                                                \
  SLOT(luaL_optinteger, lua_Integer, (State, int, lua_Integer))                                     \
  SLOT(luaL_checkstack, void, (State, int, const char *))                                           \
  SLOT(luaL_checktype, void, (State, int, int))                                                     \
  SLOT(luaL_checkany, void, (State, int))                                                           \
  SLOT(luaL_newmetatable, int, (State, const char *))                                               \
  SLOT(luaL_setmetatable, void, (State, const char *))                                              \
  SLOT(luaL_testudata, void *, (State, int, const char *))                                          \
  SLOT(luaL_checkudata, void *, (State, int, const char *))                                         \
  SLOT(luaL_where, void, (State, int))                                                              \
  SLOT(luaL_error, int, (State, const char *, ...))                                                 \
  SLOT(luaL_checkoption, int, (State, int, const char *, const char *const[]))                      \
  SLOT(luaL_fileresult, int, (State, int, const char *))                                            \
  SLOT(luaL_execresult, int, (State, int))                                                          \
  SLOT(luaL_ref, int, (State, int))                                                                 \
  SLOT(luaL_unref, void, (State, int, int))                                                         \
  SLOT(luaL_loadfilex, int, (State, const char *, const char *))                                    \
  SLOT(luaL_loadbufferx, int, (State, const char *, size_t, const char *, const char *))            \
  SLOT(luaL_loadstring, int, (State, const char *))                                                 \
  SLOT(luaL_newstate, State, ())                                                                    \
  SLOT(luaL_len, lua_Integer, (State, int))                                                         \
  SLOT(luaL_gsub, const char *, (State, const char *, const char *, const char *))                  \
  SLOT(luaL_setfuncs, void, (State, const luaL_Reg *, int))                                         \
  SLOT(luaL_getsubtable, int, (State, int, const char *))                                           \
  SLOT(luaL_traceback, void, (State, State, const char *, int))                                     \
  SLOT(luaL_requiref, void, (State, const char *, lua_CFunction, int))                              \
  SLOT(luaL_buffinit, void, (State, luaL_Buffer *))                                                 \
  SLOT(luaL_prepbuffsize, char *, (luaL_Buffer *, size_t))                                          \
  SLOT(luaL_addlstring, void, (luaL_Buffer *, const char *, size_t))                                \
  SLOT(luaL_addstring, void, (luaL_Buffer *, const char *))                                         \
  SLOT(luaL_addvalue, void, (luaL_Buffer *))                                                        \
  SLOT(luaL_pushresult, void, (luaL_Buffer *))                                                      \
  SLOT(luaL_pushresultsize, void, (luaL_Buffer *, size_t))                                          \
  SLOT(luaL_buffinitsize, char *, (State, luaL_Buffer *, size_t))                                   \
  DISCARD(luaL_pushmodule)                                                                          \
  DISCARD(luaL_openlib)                                                                             \
  /* standard libraries */                                                                          \
  SLOT(luaopen_base, int, (State))                                                                  \
  SLOT(luaopen_coroutine, int, (State))                                                             \
  SLOT(luaopen_table, int, (State))                                                                 \
  SLOT(luaopen_io, int, (State))                                                                    \
  SLOT(luaopen_os, int, (State))                                                                    \
  SLOT(luaopen_string, int, (State))                                                                \
  SLOT(luaopen_utf8, int, (State))                                                                  \
  SLOT(luaopen_bit32, int, (State))                                                                 \
  SLOT(luaopen_math, int, (State))                                                                  \
  SLOT(luaopen_debug, int, (State))                                                                 \
  SLOT(luaopen_package, int, (State))                                                               \
  SLOT(luaL_openlibs, void, (State))

#define TARVO_LUA_SLOT_FIELD(name, R, P) R(*name) P = nullptr;
#define TARVO_LUA_NO_FIELD(name)

// One pointer per kept name; all null until the first resolution.
struct LuaApi {
  TARVO_LUA_API(TARVO_LUA_SLOT_FIELD, TARVO_LUA_NO_FIELD)
};

#undef TARVO_LUA_SLOT_FIELD
#undef TARVO_LUA_NO_FIELD

// Process-wide, unguarded: written by the thread that opens the module.
extern LuaApi api;

// Number of names asked for (kept and discarded).
inline constexpr int kLuaApiNameCount = 148;

// Fills `api` from the GetApiTable export of the already loaded Lunhost.dll
// (never loads it); every slot is asked afresh, so a name the host lacks is
// null. False, with the table left as it was, when the DLL is not in the
// process or lacks the export.
bool resolve_lua_api();

// The first kept name whose slot is null, or null when the table is whole.
const char *missing_lua_api();

// The names in the order they are asked for, with the slot each one fills
// (a throw-away slot for the discarded names). For checks.
struct LuaApiName {
  const char *name;
  void **slot;
  bool kept;
};
const LuaApiName *lua_api_names();

}  // namespace tarvo::lua
