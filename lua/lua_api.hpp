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

using S = lua_State *;

// Every name the library asks the host DLL for, in the order it asks.
// SLOT(name, result, parameters) keeps the address; DISCARD(name) asks for a
// name whose address is not kept.
#define TARVO_LUA_API(SLOT, DISCARD)                                                                 \
  /* state */                                                                                        \
  SLOT(lua_newstate, S, (lua_Alloc, void *))                                                         \
  SLOT(lua_close, void, (S))                                                                         \
  SLOT(lua_newthread, S, (S))                                                                        \
  SLOT(lua_atpanic, lua_CFunction, (S, lua_CFunction))                                               \
  /* basic stack */                                                                                  \
  SLOT(lua_version, const lua_Number *, (S))                                                         \
  SLOT(lua_absindex, int, (S, int))                                                                  \
  SLOT(lua_gettop, int, (S))                                                                         \
  SLOT(lua_settop, void, (S, int))                                                                   \
  SLOT(lua_pushvalue, void, (S, int))                                                                \
  SLOT(lua_rotate, void, (S, int, int))                                                              \
  SLOT(lua_copy, void, (S, int, int))                                                                \
  SLOT(lua_checkstack, int, (S, int))                                                                \
  SLOT(lua_xmove, void, (S, S, int))                                                                 \
  /* access */                                                                                       \
  SLOT(lua_isnumber, int, (S, int))                                                                  \
  SLOT(lua_isstring, int, (S, int))                                                                  \
  SLOT(lua_iscfunction, int, (S, int))                                                               \
  SLOT(lua_isinteger, int, (S, int))                                                                 \
  SLOT(lua_isuserdata, int, (S, int))                                                                \
  SLOT(lua_type, int, (S, int))                                                                      \
  SLOT(lua_typename, const char *, (S, int))                                                         \
  SLOT(lua_tonumberx, lua_Number, (S, int, int *))                                                   \
  SLOT(lua_tointegerx, lua_Integer, (S, int, int *))                                                 \
  SLOT(lua_toboolean, int, (S, int))                                                                 \
  SLOT(lua_tolstring, const char *, (S, int, size_t *))                                              \
  SLOT(lua_rawlen, size_t, (S, int))                                                                 \
  SLOT(lua_tocfunction, lua_CFunction, (S, int))                                                     \
  SLOT(lua_touserdata, void *, (S, int))                                                             \
  SLOT(lua_tothread, S, (S, int))                                                                    \
  SLOT(lua_topointer, const void *, (S, int))                                                        \
  /* comparison and arithmetic */                                                                    \
  SLOT(lua_arith, void, (S, int))                                                                    \
  SLOT(lua_rawequal, int, (S, int, int))                                                             \
  SLOT(lua_compare, int, (S, int, int, int))                                                         \
  /* push */                                                                                         \
  SLOT(lua_pushnil, void, (S))                                                                       \
  SLOT(lua_pushnumber, void, (S, lua_Number))                                                        \
  SLOT(lua_pushinteger, void, (S, lua_Integer))                                                      \
  SLOT(lua_pushlstring, const char *, (S, const char *, size_t))                                     \
  SLOT(lua_pushstring, const char *, (S, const char *))                                              \
  SLOT(lua_pushvfstring, const char *, (S, const char *, va_list))                                   \
  SLOT(lua_pushfstring, const char *, (S, const char *, ...))                                        \
  SLOT(lua_pushcclosure, void, (S, lua_CFunction, int))                                              \
  SLOT(lua_pushboolean, void, (S, int))                                                              \
  SLOT(lua_pushlightuserdata, void, (S, void *))                                                     \
  SLOT(lua_pushthread, int, (S))                                                                     \
  /* get */                                                                                          \
  SLOT(lua_getglobal, int, (S, const char *))                                                        \
  SLOT(lua_gettable, int, (S, int))                                                                  \
  SLOT(lua_getfield, int, (S, int, const char *))                                                    \
  SLOT(lua_geti, int, (S, int, lua_Integer))                                                         \
  SLOT(lua_rawget, int, (S, int))                                                                    \
  SLOT(lua_rawgeti, int, (S, int, lua_Integer))                                                      \
  SLOT(lua_rawgetp, int, (S, int, const void *))                                                     \
  SLOT(lua_createtable, void, (S, int, int))                                                         \
  SLOT(lua_newuserdata, void *, (S, size_t))                                                         \
  SLOT(lua_getmetatable, int, (S, int))                                                              \
  SLOT(lua_getuservalue, int, (S, int))                                                              \
  /* set */                                                                                          \
  SLOT(lua_setglobal, void, (S, const char *))                                                       \
  SLOT(lua_settable, void, (S, int))                                                                 \
  SLOT(lua_setfield, void, (S, int, const char *))                                                   \
  SLOT(lua_seti, void, (S, int, lua_Integer))                                                        \
  SLOT(lua_rawset, void, (S, int))                                                                   \
  SLOT(lua_rawseti, void, (S, int, lua_Integer))                                                     \
  SLOT(lua_rawsetp, void, (S, int, const void *))                                                    \
  SLOT(lua_setmetatable, int, (S, int))                                                              \
  SLOT(lua_setuservalue, void, (S, int))                                                             \
  /* call, load, coroutine */                                                                        \
  SLOT(lua_callk, void, (S, int, int, lua_KContext, lua_KFunction))                                  \
  SLOT(lua_pcallk, int, (S, int, int, int, lua_KContext, lua_KFunction))                             \
  SLOT(lua_load, int, (S, lua_Reader, void *, const char *, const char *))                           \
  SLOT(lua_dump, int, (S, lua_Writer, void *, int))                                                  \
  SLOT(lua_yieldk, int, (S, int, lua_KContext, lua_KFunction))                                       \
  SLOT(lua_resume, int, (S, S, int))                                                                 \
  SLOT(lua_status, int, (S))                                                                         \
  SLOT(lua_isyieldable, int, (S))                                                                    \
  /* miscellaneous */                                                                                \
  SLOT(lua_gc, int, (S, int, int))                                                                   \
  SLOT(lua_error, int, (S))                                                                          \
  SLOT(lua_next, int, (S, int))                                                                      \
  SLOT(lua_concat, void, (S, int))                                                                   \
  SLOT(lua_len, void, (S, int))                                                                      \
  SLOT(lua_stringtonumber, size_t, (S, const char *))                                                \
  SLOT(lua_getallocf, lua_Alloc, (S, void **))                                                       \
  SLOT(lua_setallocf, void, (S, lua_Alloc, void *))                                                  \
  /* debug */                                                                                        \
  SLOT(lua_getstack, int, (S, int, lua_Debug *))                                                     \
  SLOT(lua_getinfo, int, (S, const char *, lua_Debug *))                                             \
  SLOT(lua_getlocal, const char *, (S, const lua_Debug *, int))                                      \
  SLOT(lua_setlocal, const char *, (S, const lua_Debug *, int))                                      \
  SLOT(lua_getupvalue, const char *, (S, int, int))                                                  \
  SLOT(lua_setupvalue, const char *, (S, int, int))                                                  \
  SLOT(lua_upvalueid, void *, (S, int, int))                                                         \
  SLOT(lua_upvaluejoin, void, (S, int, int, int, int))                                               \
  SLOT(lua_sethook, void, (S, lua_Hook, int, int))                                                   \
  SLOT(lua_gethook, lua_Hook, (S))                                                                   \
  SLOT(lua_gethookmask, int, (S))                                                                    \
  SLOT(lua_gethookcount, int, (S))                                                                   \
  /* auxiliary library */                                                                            \
  SLOT(luaL_checkversion_, void, (S, lua_Number, size_t))                                            \
  SLOT(luaL_getmetafield, int, (S, int, const char *))                                               \
  SLOT(luaL_callmeta, int, (S, int, const char *))                                                   \
  SLOT(luaL_tolstring, const char *, (S, int, size_t *))                                             \
  SLOT(luaL_argerror, int, (S, int, const char *))                                                   \
  SLOT(luaL_checklstring, const char *, (S, int, size_t *))                                          \
  SLOT(luaL_optlstring, const char *, (S, int, const char *, size_t *))                              \
  SLOT(luaL_checknumber, lua_Number, (S, int))                                                       \
  SLOT(luaL_optnumber, lua_Number, (S, int, lua_Number))                                             \
  SLOT(luaL_checkinteger, lua_Integer, (S, int))                                                     \
  SLOT(luaL_optinteger, lua_Integer, (S, int, lua_Integer))                                          \
  SLOT(luaL_checkstack, void, (S, int, const char *))                                                \
  SLOT(luaL_checktype, void, (S, int, int))                                                          \
  SLOT(luaL_checkany, void, (S, int))                                                                \
  SLOT(luaL_newmetatable, int, (S, const char *))                                                    \
  SLOT(luaL_setmetatable, void, (S, const char *))                                                   \
  SLOT(luaL_testudata, void *, (S, int, const char *))                                               \
  SLOT(luaL_checkudata, void *, (S, int, const char *))                                              \
  SLOT(luaL_where, void, (S, int))                                                                   \
  SLOT(luaL_error, int, (S, const char *, ...))                                                      \
  SLOT(luaL_checkoption, int, (S, int, const char *, const char *const[]))                           \
  SLOT(luaL_fileresult, int, (S, int, const char *))                                                 \
  SLOT(luaL_execresult, int, (S, int))                                                               \
  SLOT(luaL_ref, int, (S, int))                                                                      \
  SLOT(luaL_unref, void, (S, int, int))                                                              \
  SLOT(luaL_loadfilex, int, (S, const char *, const char *))                                         \
  SLOT(luaL_loadbufferx, int, (S, const char *, size_t, const char *, const char *))                 \
  SLOT(luaL_loadstring, int, (S, const char *))                                                      \
  SLOT(luaL_newstate, S, ())                                                                         \
  SLOT(luaL_len, lua_Integer, (S, int))                                                              \
  SLOT(luaL_gsub, const char *, (S, const char *, const char *, const char *))                       \
  SLOT(luaL_setfuncs, void, (S, const luaL_Reg *, int))                                              \
  SLOT(luaL_getsubtable, int, (S, int, const char *))                                                \
  SLOT(luaL_traceback, void, (S, S, const char *, int))                                              \
  SLOT(luaL_requiref, void, (S, const char *, lua_CFunction, int))                                   \
  SLOT(luaL_buffinit, void, (S, luaL_Buffer *))                                                      \
  SLOT(luaL_prepbuffsize, char *, (luaL_Buffer *, size_t))                                           \
  SLOT(luaL_addlstring, void, (luaL_Buffer *, const char *, size_t))                                 \
  SLOT(luaL_addstring, void, (luaL_Buffer *, const char *))                                          \
  SLOT(luaL_addvalue, void, (luaL_Buffer *))                                                         \
  SLOT(luaL_pushresult, void, (luaL_Buffer *))                                                       \
  SLOT(luaL_pushresultsize, void, (luaL_Buffer *, size_t))                                           \
  SLOT(luaL_buffinitsize, char *, (S, luaL_Buffer *, size_t))                                        \
  DISCARD(luaL_pushmodule)                                                                           \
  DISCARD(luaL_openlib)                                                                              \
  /* standard libraries */                                                                           \
  SLOT(luaopen_base, int, (S))                                                                       \
  SLOT(luaopen_coroutine, int, (S))                                                                  \
  SLOT(luaopen_table, int, (S))                                                                      \
  SLOT(luaopen_io, int, (S))                                                                         \
  SLOT(luaopen_os, int, (S))                                                                         \
  SLOT(luaopen_string, int, (S))                                                                     \
  SLOT(luaopen_utf8, int, (S))                                                                       \
  SLOT(luaopen_bit32, int, (S))                                                                      \
  SLOT(luaopen_math, int, (S))                                                                       \
  SLOT(luaopen_debug, int, (S))                                                                      \
  SLOT(luaopen_package, int, (S))                                                                    \
  SLOT(luaL_openlibs, void, (S))

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
// (never loads it). False, with the table left as it was, when the DLL is not
// in the process or lacks the export.
bool resolve_lua_api();

// The names in the order they are asked for, with the slot each one fills
// (a throw-away slot for the discarded names). For checks.
struct LuaApiName {
  const char *name;
  void **slot;
  bool kept;
};
const LuaApiName *lua_api_names();

}  // namespace tarvo::lua
