/* The Lua module TARVO: the entry point the script engine calls after loading
 * the library. Every Lua function of the module is listed with its family;
 * the conventions they share (argument counts, UTF-8 text, integer handles)
 * are described with the module. */
#ifndef TARVO_XLUA_H
#define TARVO_XLUA_H

#include "tarvo_api.h"

struct lua_State;

/* Opens the module: a new table of every Lua function (1), or 0 without the engine's Lunhost.dll. */
TARVO_API int luaopen_TARVO(struct lua_State *L);

#endif
