// The companion browser's functions. Texts go to the library in the ANSI code
// page and come back as UTF-8; handles are integers. Functions with several
// results push the status (or result) first, then the values of the
// export's outputs.
#include "registry.hpp"
#include "wrap.hpp"
#include "xsurfpod.h"

namespace tarvo::lua {
namespace {

using H = Int;  // a browser handle
using A = AnsiText;

// A library text in the ANSI code page, pushed as UTF-8 (null, an invalid
// handle, pushes ""). The push runs protected and leaves its status: the
// caller releases what it holds before an error goes on.
int push_ansi(lua_State *L, const char *text) {
  int status;
  {
    const Sized<char> u = text ? recode(text, kCodePageA, kCodePageU, 0) : Sized<char>{nullptr, 0};
    const detail::Released<char> utf8{u.p};
    auto put = [&u](lua_State *S) { api.lua_pushlstring(S, u.p ? u.p : "", u.p ? u.size : 0); };
    status = detail::protected_push(L, put);
  }
  return status;
}

// A text the caller owns: pushed, then released.
struct AnsiResult {
  static int push(lua_State *L, char *text) {
    int status;
    {
      const detail::Released<char> owned{text};
      status = push_ansi(L, text);
    }
    return detail::pushed_or_raise(L, status);
  }
};

// Several integers: a result and the outputs of the export.
struct Integers {
  int32_t v[5] = {};
  int n = 0;
};
struct IntegersResult {
  static int push(lua_State *L, Integers r) {
    for (int i = 0; i < r.n; ++i) api.lua_pushinteger(L, r.v[i]);
    return r.n;
  }
};

// A status and the texts of the export's outputs (null when not written).
struct Texts {
  int32_t status = 0;
  char *text[2] = {};
  int n = 0;
};
struct TextsResult {
  // Both texts are released before an error of any push goes on.
  static int push(lua_State *L, Texts r) {
    api.lua_pushinteger(L, r.status);
    int status = LUA_OK;
    {
      const detail::Released<char> owned[2] = {{r.text[0]}, {r.text[1]}};
      for (int i = 0; i < r.n && status == LUA_OK; ++i) status = push_ansi(L, owned[i].p);
    }
    if (status != LUA_OK) return api.lua_error(L);
    return r.n + 1;
  }
};

// A boolean or a number: true, or any number but 0.
struct Truth {
  template <class P>
  static P get(lua_State *L, int pos) {
    if (api.lua_type(L, pos) == LUA_TBOOLEAN) return static_cast<P>(api.lua_toboolean(L, pos));
    return static_cast<P>(integer_at(L, pos) != 0);
  }
};

template <int32_t (*Fn)(SurfpodInstance *, int32_t *, int32_t *)>
Integers pair_of(SurfpodInstance *h) {
  Integers r;
  r.n = 3;
  r.v[0] = Fn(h, &r.v[1], &r.v[2]);
  return r;
}

Integers element_rect(SurfpodInstance *h, const char *path) {
  Integers r;
  r.n = 5;
  r.v[0] = Surfpod_Element_GetRect(h, path, &r.v[1], &r.v[2], &r.v[3], &r.v[4]);
  return r;
}

Texts gen_path(SurfpodInstance *h, const char *path, const char *variable) {
  Texts r;
  r.n = 2;
  r.status = Surfpod_MXPath_GenPath(h, path, variable, &r.text[0], &r.text[1]);
  return r;
}

Texts gen_path_use_var(SurfpodInstance *h, const char *path, const char *variable, const char *text) {
  Texts r;
  r.n = 1;
  r.status = Surfpod_MXPath_GenPath_UseVar(h, path, variable, text, &r.text[0]);
  return r;
}

Texts gen_element_script(SurfpodInstance *h, const char *path, const char *script, const char *value,
                         const char *value2, int32_t first, int32_t second) {
  Texts r;
  r.n = 2;
  r.status = Surfpod_MXPath_GenEleJS(h, path, script, value, value2, first, second, &r.text[0], &r.text[1]);
  return r;
}

Texts run_element_script(SurfpodInstance *h, const char *path, const char *script, const char *value,
                         const char *value2, int32_t mode) {
  Texts r;
  r.n = 1;
  r.status = Surfpod_Element_RunJS(h, path, script, value, value2, mode, &r.text[0]);
  return r;
}

char *run_script(SurfpodInstance *h, const char *script, int32_t flag, int32_t) { return Surfpod_RunJS(h, script, flag); }
int32_t run_script_no_result(SurfpodInstance *h, const char *script, int32_t flag, int32_t) {
  return Surfpod_RunJS_NoRet(h, script, flag);
}

// Surfpod_RunJS(h, script [, flag = 1 [, want = 1]]): the script's text, or
// with want 0 the integer of the run without a result.
int surfpod_run_js(lua_State *L) {
  if (!count_ok(L, 2, 4)) return param_count_error(L);
  if (api.lua_gettop(L) == 4 && integer_at(L, 4) == 0)
    return wrap<run_script_no_result, Ret::Integer, H, A, IntOr<1>, IntOr<1>>(L);
  return wrap<run_script, AnsiResult, H, A, IntOr<1>, IntOr<1>>(L);
}

// The script's watcher has no log.
void watch(int32_t idle_seconds) { Surfpod_DeamonProc(idle_seconds, nullptr); }

using Number = Int;

const luaL_Reg kSurfpodFunctions[] = {
    {"Surfpod_Setup", wrap<Surfpod_Setup, Ret::Boolean, A>},
    {"Surfpod_Create", wrap<Surfpod_Create, Ret::Integer>},
    {"Surfpod_Bind", wrap<Surfpod_Bind, Ret::Integer, Int>},
    {"Surfpod_IsRunning", wrap<Surfpod_IsRunning, Ret::Integer, H>},
    {"Surfpod_Show", wrap<Surfpod_Show, Ret::Integer, H>},
    {"Surfpod_Hide", wrap<Surfpod_Hide, Ret::Integer, H>},
    {"Surfpod_IsHide", wrap<Surfpod_IsHide, Ret::Integer, H>},
    {"Surfpod_Close", wrap<Surfpod_Close, Ret::Integer, H>},
    {"Surfpod_ForceClose", wrap<Surfpod_ForceClose, Ret::Integer, H>},
    {"Surfpod_CloseAll", wrap<Surfpod_CloseAll, Ret::Integer>},
    {"Surfpod_Release", wrap<Surfpod_Release, Ret::Integer, H>},
    {"Surfpod_ReleaseAll", wrap<Surfpod_ReleaseAll, Ret::Integer>},
    {"Surfpod_SetWinSize", wrap<Surfpod_SetWinSize, Ret::Integer, H, Number, Number>},
    {"Surfpod_SetWebSize", wrap<Surfpod_SetWebSize, Ret::Integer, H, Number, Number>},
    {"Surfpod_GetWinSize", wrap<pair_of<Surfpod_GetWinSize>, IntegersResult, H>},
    {"Surfpod_GetWebSize", wrap<pair_of<Surfpod_GetWebSize>, IntegersResult, H>},
    {"Surfpod_GetPageSize", wrap<pair_of<Surfpod_GetPageSize>, IntegersResult, H>},
    {"Surfpod_GetScroll", wrap<pair_of<Surfpod_GetScroll>, IntegersResult, H>},
    {"Surfpod_SetScroll", wrap<Surfpod_SetScroll, Ret::Integer, H, Number, Number>},
    {"Surfpod_GetTitle", wrap<Surfpod_GetTitle, AnsiResult, H>},
    {"Surfpod_SetTitle", wrap<Surfpod_SetTitle, Ret::Integer, H, A>},
    {"Surfpod_SetupProxy", wrap<Surfpod_SetupProxy, Ret::Integer, H, A, A>},
    {"Surfpod_ClearProxy", wrap<Surfpod_ClearProxy, Ret::Integer, H>},
    {"Surfpod_ShowDevTool", wrap<Surfpod_ShowDevTool, Ret::Integer, H>},
    {"Surfpod_GoURL", wrap<Surfpod_GoURL, Ret::Integer, H, A>},
    {"Surfpod_GoBack", wrap<Surfpod_GoBack, Ret::Integer, H>},
    {"Surfpod_GoForward", wrap<Surfpod_GoForward, Ret::Integer, H>},
    {"Surfpod_GoHome", wrap<Surfpod_GoHome, Ret::Integer, H>},
    {"Surfpod_Refresh", wrap<Surfpod_Refresh, Ret::Integer, H>},
    {"Surfpod_Stop", wrap<Surfpod_Stop, Ret::Integer, H>},
    {"Surfpod_GetWebTitle", wrap<Surfpod_GetWebTitle, AnsiResult, H>},
    {"Surfpod_GetHTML", wrap<Surfpod_GetHTML, AnsiResult, H>},
    {"Surfpod_GetURL", wrap<Surfpod_GetURL, AnsiResult, H>},
    {"Surfpod_GetLocationURL", wrap<Surfpod_GetLocationURL, AnsiResult, H>},
    {"Surfpod_GetLocationName", wrap<Surfpod_GetLocationName, AnsiResult, H>},
    {"Surfpod_LoadPage", wrap<Surfpod_LoadPage, Ret::Integer, H, A, A, Number, Number>},
    {"Surfpod_WaitPage", wrap<Surfpod_WaitPage, Ret::Integer, H, A, Number, Number>},
    {"Surfpod_SavePage", wrap<Surfpod_SavePage, Ret::Integer, H, A>},
    {"Surfpod_RunJS", surfpod_run_js},
    {"Surfpod_HttpGet", wrap<Surfpod_HttpGet, AnsiResult, H, A>},
    {"Surfpod_HttpPost", wrap<Surfpod_HttpPost, AnsiResult, H, A, A>},
    {"Surfpod_HttpGetFile", wrap<Surfpod_HttpGetFile, Ret::Integer, H, A, A>},
    {"Surfpod_HttpPostFile", wrap<Surfpod_HttpPostFile, Ret::Integer, H, A, A, A>},
    {"Surfpod_ScreenShot", wrap<Surfpod_ScreenShot, Ret::Integer, H, Number, Number, Number, Number, A>},
    {"Surfpod_ScreenShotFull", wrap<Surfpod_ScreenShotFull, Ret::Integer, H, A>},
    {"Surfpod_SetFrame", wrap<Surfpod_SetFrame, Ret::Integer, H, A, A, A, Number>},
    {"Surfpod_ResetFrame", wrap<Surfpod_ResetFrame, Ret::Integer, H>},
    {"Surfpod_MXPath_GenPath", wrap<gen_path, TextsResult, H, A, A>},
    {"Surfpod_MXPath_GenPath_UseVar", wrap<gen_path_use_var, TextsResult, H, A, A, A>},
    {"Surfpod_MXPath_GenEleJS", wrap<gen_element_script, TextsResult, H, A, A, A, A, Number, Number>},
    {"Surfpod_Element_RunJS", wrap<run_element_script, TextsResult, H, A, A, A, A, Number>},
    {"Surfpod_Element_IsExists", wrap<Surfpod_Element_IsExists, Ret::Integer, H, A>},
    {"Surfpod_Element_GetCount", wrap<Surfpod_Element_GetCount, Ret::Integer, H, A>},
    {"Surfpod_Element_Click", wrap<Surfpod_Element_Click, Ret::Integer, H, A>},
    {"Surfpod_Element_SetValue", wrap<Surfpod_Element_SetValue, Ret::Integer, H, A, A>},
    {"Surfpod_Element_GetValue", wrap<Surfpod_Element_GetValue, AnsiResult, H, A>},
    {"Surfpod_Element_SetSelectValue", wrap<Surfpod_Element_SetValue, Ret::Integer, H, A, A>},
    {"Surfpod_Element_GetSelectValue", wrap<Surfpod_Element_GetValue, AnsiResult, H, A>},
    {"Surfpod_Element_SetOuterHtml", wrap<Surfpod_Element_SetOuterHtml, Ret::Integer, H, A, A>},
    {"Surfpod_Element_GetOuterHtml", wrap<Surfpod_Element_GetOuterHtml, AnsiResult, H, A>},
    {"Surfpod_Element_SetInnerHtml", wrap<Surfpod_Element_SetInnerHtml, Ret::Integer, H, A, A>},
    {"Surfpod_Element_GetInnerHtml", wrap<Surfpod_Element_GetInnerHtml, AnsiResult, H, A>},
    {"Surfpod_Element_SetText", wrap<Surfpod_Element_SetText, Ret::Integer, H, A, A>},
    {"Surfpod_Element_GetText", wrap<Surfpod_Element_GetText, AnsiResult, H, A>},
    {"Surfpod_Element_GetOuterText", wrap<Surfpod_Element_GetOuterText, AnsiResult, H, A>},
    {"Surfpod_Element_GetInnerText", wrap<Surfpod_Element_GetInnerText, AnsiResult, H, A>},
    {"Surfpod_Element_SetCheck", wrap<Surfpod_Element_SetCheck, Ret::Integer, H, A, ValueKind<Truth>>},
    {"Surfpod_Element_GetCheck", wrap<Surfpod_Element_GetCheck, Ret::Integer, H, A>},
    {"Surfpod_Element_SetSelect", wrap<Surfpod_Element_SetSelect, Ret::Integer, H, A, Number>},
    {"Surfpod_Element_SetSelectText", wrap<Surfpod_Element_SetSelectText, Ret::Integer, H, A, A>},
    {"Surfpod_Element_Remove", wrap<Surfpod_Element_Remove, Ret::Integer, H, A>},
    {"Surfpod_Element_SetAttribute", wrap<Surfpod_Element_SetAttribute, Ret::Integer, H, A, A, A>},
    {"Surfpod_Element_GetAttribute", wrap<Surfpod_Element_GetAttribute, AnsiResult, H, A, A>},
    {"Surfpod_Element_GetRect", wrap<element_rect, IntegersResult, H, A>},
    {"Surfpod_Element_Show", wrap<Surfpod_Element_Show, Ret::Integer, H, A>},
    {"Surfpod_Element_ScreenShot", wrap<Surfpod_Element_ScreenShot, Ret::Integer, H, A, A>},
    {"Surfpod_DeamonProc", wrap<watch, Ret::None, Int>},
};

const LuaFamily surfpod_family(kSurfpodFunctions);

}  // namespace
}  // namespace tarvo::lua
