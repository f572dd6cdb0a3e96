// The daemon thread: a second script in a Lua state of its own, on a thread
// of its own, that closes (or lets its callbacks handle) the windows its
// rules in `closewindow` match, calls OnLoop and waits `option.delay`
// milliseconds, until it calls dt_exit(), the thread that started it ends,
// DaemonThread_Stop cuts it off or the library unloads.
//
// Every use of the daemon's state runs inside a protected call of a C
// function that holds nothing with a destructor, so a script error (or a
// failing metamethod) ends that step only, never the thread or the process.
//
// The state is fresh from the engine's luaL_newstate and so lacks the
// engine's BasicLib; it gets a minimal one whose NewTable gives a plain
// table, so the module's functions that return tables work in daemons too.
#include "cleanup.hpp"
#include "forms.hpp"
#include "registry.hpp"
#include "transcode.hpp"
#include "window_filter.hpp"
#include "wrap.hpp"

#include <windows.h>

#include <memory>
#include <new>
#include <string>

namespace tarvo::lua {
namespace {

constexpr DWORD kDefaultDelayMs = 200;
constexpr DWORD kLongestDelayMs = 0x7FFFFFFE;
// A close answered later than this is given up (the window may be hung);
// the next cycle finds the window again if it is still there.
constexpr UINT kCloseTimeoutMs = 1000;
// How long DaemonThread_Stop lets the thread finish its current step before
// cutting it off.
constexpr DWORD kStopGraceMs = 3000;

struct DaemonContext {
  uint32_t creator_tid = 0;
  uint32_t tid = 0;
  HANDLE thread = nullptr;
  std::string script;    // ANSI
  std::string argument;  // ANSI; empty when not given
  lua_State *state = nullptr;
  volatile LONG exit_flag = 0;
  // Set by DaemonThread_Stop: the wait between cycles wakes at once.
  HANDLE wake = nullptr;
  volatile LONG stopped = 0;
  // Set by the thread once it is done with its state: unload, which holds
  // the loader lock that an ending thread waits for, waits for this instead.
  HANDLE done = nullptr;
  DWORD delay = kDefaultDelayMs;  // of the current cycle
};

SRWLOCK g_daemons = SRWLOCK_INIT;  // the daemon records of the cleanup list

std::string utf8_to_ansi(const char *s) {
  const Sized<char> a = recode(s, kCodePageU, kCodePageA, 0);
  const std::unique_ptr<char, void (*)(void *)> held(a.p, release);
  return std::string(a.p ? a.p : "", a.size);
}

DaemonContext *context_of(lua_State *L) {
  api.lua_getfield(L, LUA_REGISTRYINDEX, "dt_info");
  auto *ctx = reinterpret_cast<DaemonContext *>(static_cast<intptr_t>(integer_at(L, -1)));
  api.lua_settop(L, -2);
  return ctx;
}

// ---- steps run under a protected call ---------------------------------------

// Runs fn(L) with `data` as a light userdata at index 1; the stack is left
// as it was. True when it raised no error.
bool protected_call(lua_State *L, lua_CFunction fn, void *data) {
  int top = api.lua_gettop(L);
  api.lua_pushcclosure(L, fn, 0);
  api.lua_pushlightuserdata(L, data);
  bool ok = api.lua_pcallk(L, 1, 0, 0, 0, nullptr) == LUA_OK;
  api.lua_settop(L, top);
  return ok;
}

DaemonContext *data_arg(lua_State *L) { return static_cast<DaemonContext *>(api.lua_touserdata(L, 1)); }

int dt_exit(lua_State *L) {
  if (!count_ok(L, 0, 0)) return param_count_error(L);
  if (DaemonContext *ctx = context_of(L)) InterlockedExchange(&ctx->exit_flag, 1);
  return 0;
}

struct GlobalNumber {
  const char *name;
  lua_Integer value;
};
constexpr GlobalNumber kFilterGlobals[] = {
    {"TZ_USEPID", 1},           {"TZ_USETID", 2},           {"TZ_SKIPTITLE", 0},        {"TZ_FULLTITLE", 0x10000},
    {"TZ_PARTTITLE", 0x20000},  {"TZ_ELSETITLE", 0x30000},  {"TZ_SKIPCLASS", 0},        {"TZ_FULLCLASS", 0x40000},
    {"TZ_PARTCLASS", 0x80000},  {"TZ_ELSECLASS", 0xC0000},  {"TZ_SKIPSTYLE", 0},        {"TZ_EXISSTYLE", 0x100000},
    {"TZ_NONESTYLE", 0x200000}, {"TZ_MATESTYLE", 0x300000}, {"TZ_SKIPEXSTY", 0},        {"TZ_EXISEXSTY", 0x400000},
    {"TZ_NONEEXSTY", 0x800000}, {"TZ_MATEEXSTY", 0xC00000},
};

const char kBasicLib[] = "BasicLib = BasicLib or {NewTable = function(kind) return {} end}";

void set_global_text(lua_State *L, const char *name, const char *text, size_t n) {
  api.lua_pushlstring(L, text, n);
  api.lua_setglobal(L, name);
}

// The script's names: the full path as the system gives it, its file name
// and its folder with the trailing backslash.
void set_script_globals(lua_State *L, const char *script) {
  char full[MAX_PATH * 4];
  DWORD n = GetFullPathNameA(script, sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) n = 0;
  size_t folder = n;
  while (folder > 0 && full[folder - 1] != '\\' && full[folder - 1] != '/') --folder;
  set_global_text(L, "appfile", full, n);
  set_global_text(L, "appfilename", full + folder, n - folder);
  set_global_text(L, "apppath", full, folder);
}

// Globals, the script's chunk, the module and dt_exit; then the main chunk
// runs. An error (the script does not load or its chunk fails) ends here.
int start_script(lua_State *L) {
  DaemonContext *ctx = data_arg(L);
  api.luaL_openlibs(L);
  for (const GlobalNumber &g : kFilterGlobals) {
    api.lua_pushinteger(L, g.value);
    api.lua_setglobal(L, g.name);
  }
  int loaded = api.luaL_loadfilex(L, ctx->script.c_str(), nullptr);  // the chunk or its error, at 2
  set_script_globals(L, ctx->script.c_str());
  api.lua_pushinteger(L, static_cast<lua_Integer>(reinterpret_cast<intptr_t>(ctx)));
  api.lua_setfield(L, LUA_REGISTRYINDEX, "dt_info");
  api.luaL_checkversion_(L, LUA_VERSION_NUM, LUAL_NUMSIZES);
  const luaL_Reg *rows = registry();
  if (!rows) return api.luaL_error(L, "not enough memory");
  api.lua_createtable(L, 0, -1);
  api.luaL_setfuncs(L, rows, 0);
  api.lua_setglobal(L, "zanmod");
  api.lua_pushcclosure(L, dt_exit, 0);
  api.lua_setglobal(L, "dt_exit");
  if (api.luaL_loadstring(L, kBasicLib) != LUA_OK) return api.lua_error(L);
  api.lua_callk(L, 0, 0, 0, nullptr);
  if (loaded != LUA_OK) return api.lua_error(L);
  api.lua_settop(L, 2);
  api.lua_callk(L, 0, LUA_MULTRET, 0, nullptr);
  return 0;
}

// Calls the global function named by the light userdata, if there is one.
int call_global(lua_State *L) {
  const char *name = static_cast<const char *>(api.lua_touserdata(L, 1));
  if (api.lua_getglobal(L, name) == LUA_TFUNCTION) api.lua_callk(L, 0, 0, 0, nullptr);
  return 0;
}

lua_Integer integer_field(lua_State *L, int table, const char *name) {
  api.lua_getfield(L, table, name);
  lua_Integer v = integer_at(L, -1);
  api.lua_settop(L, -2);
  return v;
}

// The field's text in the ANSI code page, held in a userdata left on the
// stack (collected with the stack); null when the field is no text.
const char *ansi_field(lua_State *L, int table, const char *name) {
  api.lua_getfield(L, table, name);
  size_t n = 0;
  const char *s = api.lua_type(L, -1) == LUA_TSTRING ? api.lua_tolstring(L, -1, &n) : nullptr;
  if (!s) return nullptr;
  int wide = n ? tarvo::multibyte_to_wide(CP_UTF8, 0, s, static_cast<int>(n), nullptr, 0) : 0;
  auto *w = static_cast<wchar_t *>(api.lua_newuserdata(L, (static_cast<size_t>(wide) + 1) * sizeof(wchar_t)));
  tarvo::multibyte_to_wide(CP_UTF8, 0, s, static_cast<int>(n), w, wide);
  int m = wide ? tarvo::wide_to_multibyte(CP_ACP, 0, w, wide, nullptr, 0, nullptr, nullptr) : 0;
  auto *a = static_cast<char *>(api.lua_newuserdata(L, static_cast<size_t>(m) + 1));
  tarvo::wide_to_multibyte(CP_ACP, 0, w, wide, a, m, nullptr, nullptr);
  a[m > 0 ? m : 0] = 0;
  return a;
}

// Calls rule.<name>(window) when it is a function: the status, or -1 when
// there is no such function. Results stay on the stack.
int call_rule(lua_State *L, int rule, const char *name, HWND window, int results) {
  if (api.lua_getfield(L, rule, name) != LUA_TFUNCTION) return -1;
  api.lua_pushnumber(L, static_cast<lua_Number>(reinterpret_cast<intptr_t>(window)));
  return api.lua_pcallk(L, 1, results, 0, 0, nullptr);
}

// OnQuest may spare the window (false or nil; a failing OnQuest does not);
// OnClose replaces the close message; OnFinish follows.
void handle_window(lua_State *L, int rule, HWND window) {
  int top = api.lua_gettop(L);
  int asked = call_rule(L, rule, "OnQuest", window, 1);
  bool spare = asked == LUA_OK && !api.lua_toboolean(L, -1);
  api.lua_settop(L, top);
  if (spare) return;
  if (call_rule(L, rule, "OnClose", window, 0) < 0) {
    DWORD_PTR ignored;
    SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kCloseTimeoutMs, &ignored);
  }
  api.lua_settop(L, top);
  call_rule(L, rule, "OnFinish", window, 0);
  api.lua_settop(L, top);
}

void apply_rule(lua_State *L, int rule) {
  int top = api.lua_gettop(L);
  window::WindowFilter f;
  f.flags = static_cast<uint32_t>(integer_field(L, rule, "flag"));
  f.style = static_cast<uint32_t>(integer_field(L, rule, "style"));
  f.exStyle = static_cast<uint32_t>(integer_field(L, rule, "exstyle"));
  f.owner = static_cast<uint32_t>(integer_field(L, rule, "pid"));
  f.title = ansi_field(L, rule, "title");
  f.cls = ansi_field(L, rule, "class");
  if (HWND w = window::find(f)) handle_window(L, rule, w);
  api.lua_settop(L, top);
}

// A usable delay is a positive number of milliseconds; anything else is the
// default, so a cycle never spins and never sleeps without end.
DWORD read_delay(lua_State *L) {
  if (api.lua_getglobal(L, "option") != LUA_TTABLE) return kDefaultDelayMs;
  api.lua_getfield(L, -1, "delay");
  int is_number = 0;
  lua_Number d = api.lua_tonumberx(L, -1, &is_number);
  if (!is_number || !(d >= 1)) return kDefaultDelayMs;
  return d > kLongestDelayMs ? kLongestDelayMs : static_cast<DWORD>(d);
}

// One cycle: each rule of closewindow (tables only, in traversal order),
// then OnLoop, then the delay for the wait that follows.
int cycle(lua_State *L) {
  DaemonContext *ctx = data_arg(L);
  if (api.lua_getglobal(L, "closewindow") == LUA_TTABLE) {
    int rules = api.lua_gettop(L);
    api.lua_pushnil(L);
    while (api.lua_next(L, rules)) {
      if (api.lua_type(L, -1) == LUA_TTABLE) apply_rule(L, api.lua_gettop(L));
      api.lua_settop(L, rules + 1);  // the key
    }
  }
  api.lua_settop(L, 1);
  if (api.lua_getglobal(L, "OnLoop") == LUA_TFUNCTION) api.lua_pcallk(L, 0, 0, 0, 0, nullptr);
  api.lua_settop(L, 1);
  ctx->delay = read_delay(L);
  return 0;
}

// ---- the thread -------------------------------------------------------------------

// Cycles until dt_exit, the end of the creator or a stop; true on the
// orderly ends. A stop that came during the previous step ends the loop
// before another cycle acts on windows.
bool run_cycles(DaemonContext *ctx, HANDLE creator) {
  HANDLE waits[2] = {ctx->wake, creator};
  while (!ctx->exit_flag && !ctx->stopped) {
    ctx->delay = kDefaultDelayMs;
    protected_call(ctx->state, cycle, ctx);
    if (ctx->exit_flag) break;
    DWORD r = WaitForMultipleObjects(2, waits, FALSE, ctx->delay);
    if (r == WAIT_OBJECT_0) break;
    if (r == WAIT_OBJECT_0 + 1) InterlockedExchange(&ctx->exit_flag, 1);
    if (r == WAIT_FAILED) Sleep(ctx->delay);
  }
  return !ctx->stopped;
}

DWORD WINAPI daemon_main(void *p) {
  auto *ctx = static_cast<DaemonContext *>(p);
  lua_State *L = ctx->state;
  // A stop that came while the main chunk ran ends the daemon before OnInit.
  if (protected_call(L, start_script, ctx) && !ctx->stopped) {
    protected_call(L, call_global, const_cast<char *>("OnInit"));
    if (HANDLE creator = ctx->stopped ? nullptr : OpenThread(SYNCHRONIZE, FALSE, ctx->creator_tid)) {
      bool orderly = run_cycles(ctx, creator);
      CloseHandle(creator);
      if (orderly) protected_call(L, call_global, const_cast<char *>("OnUnit"));
    }
  }
  std::string().swap(ctx->script);
  std::string().swap(ctx->argument);
  ctx->state = nullptr;
  api.lua_close(L);
  SetEvent(ctx->done);
  return 0;
}

// At unload, before anything else of the library goes: the thread is asked
// to stop and given the time of a stop to finish its step and close its
// state. Unload holds the loader lock, for which a thread ending on its own
// waits, so the thread is then cut off wherever it is (a step that never
// ended leaves its state as it is) and its end awaited. The context goes
// only once the thread can no longer use it.
void release_daemon(ReleaseRecord *record) {
  auto *ctx = static_cast<DaemonContext *>(record->data);
  if (!ctx) return;
  InterlockedExchange(&ctx->stopped, 1);
  SetEvent(ctx->wake);
  if (WaitForSingleObject(ctx->thread, 0) == WAIT_TIMEOUT) {
    HANDLE ends[2] = {ctx->done, ctx->thread};
    WaitForMultipleObjects(2, ends, FALSE, kStopGraceMs);
    TerminateThread(ctx->thread, 0);
  }
  const bool ended = WaitForSingleObject(ctx->thread, kStopGraceMs) == WAIT_OBJECT_0;
  CloseHandle(ctx->thread);
  record->data = nullptr;
  if (!ended) return;  // still running somewhere: the context stays with it
  CloseHandle(ctx->wake);
  CloseHandle(ctx->done);
  delete ctx;
}

// The context of a thread this library started as a daemon, else null.
DaemonContext *find_daemon(HANDLE thread) {
  SMM *list = cleanup_list();
  if (!thread || !list) return nullptr;
  for (uint32_t i = 1; i <= list->count; ++i) {
    auto *r = static_cast<ReleaseRecord *>(SMM_GetPtr(list, i));
    if (r && r->kind == kReleaseDaemonThread && r->handle == thread) return static_cast<DaemonContext *>(r->data);
  }
  return nullptr;
}

void discard(DaemonContext *ctx) {
  if (ctx->state) api.lua_close(ctx->state);
  if (ctx->wake) CloseHandle(ctx->wake);
  if (ctx->done) CloseHandle(ctx->done);
  delete ctx;
}

// The context is complete before the thread runs: it starts suspended and
// is resumed once it is registered for unload.
HANDLE start_daemon(const char *script, const char *argument) noexcept {
  if (!script || !api.luaL_newstate || !cleanup_list()) return nullptr;
  DaemonContext *ctx = new (std::nothrow) DaemonContext;
  if (!ctx) return nullptr;
  try {
    ctx->creator_tid = GetCurrentThreadId();
    ctx->script = utf8_to_ansi(script);
    if (argument) ctx->argument = utf8_to_ansi(argument);
  } catch (...) {
    discard(ctx);
    return nullptr;
  }
  ctx->wake = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ctx->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ctx->state = ctx->wake && ctx->done ? api.luaL_newstate() : nullptr;
  DWORD tid = 0;
  HANDLE thread = ctx->state ? CreateThread(nullptr, 0, daemon_main, ctx, CREATE_SUSPENDED, &tid) : nullptr;
  if (!thread) {
    discard(ctx);
    return nullptr;
  }
  ctx->thread = thread;
  ctx->tid = tid;
  AcquireSRWLockExclusive(&g_daemons);
  SMM *list = cleanup_list();
  uint32_t at = list ? SMM_Append(list, 1) : 0;
  if (at) *static_cast<ReleaseRecord *>(SMM_GetPtr(list, at)) = {kReleaseDaemonThread, thread, ctx, release_daemon};
  ReleaseSRWLockExclusive(&g_daemons);
  if (!at) {
    TerminateThread(thread, 0);  // never ran
    CloseHandle(thread);
    discard(ctx);
    return nullptr;
  }
  ResumeThread(thread);
  return thread;
}

// A stop wakes the thread and lets it end its current step; a thread that
// does not end in time (a callback that never returns) is cut off. Called
// from the daemon itself, it ends after the current cycle. Any handle that
// is not one of this library's daemons is left alone.
void stop_daemon(HANDLE thread) {
  AcquireSRWLockShared(&g_daemons);
  DaemonContext *ctx = find_daemon(thread);
  ReleaseSRWLockShared(&g_daemons);
  if (!ctx) return;
  InterlockedExchange(&ctx->stopped, 1);
  SetEvent(ctx->wake);
  if (ctx->tid == GetCurrentThreadId()) return;
  if (WaitForSingleObject(ctx->thread, kStopGraceMs) == WAIT_TIMEOUT) TerminateThread(ctx->thread, 0);
}

// Both refuse a wrong count without an error: Start gives 0, Stop nothing.
int daemon_start(lua_State *L) {
  HANDLE thread = nullptr;
  if (count_ok(L, 1, 2))
    thread = start_daemon(api.lua_tolstring(L, 1, nullptr), present(L, 2) ? api.lua_tolstring(L, 2, nullptr) : nullptr);
  api.lua_pushinteger(L, static_cast<lua_Integer>(reinterpret_cast<intptr_t>(thread)));
  return 1;
}

int daemon_stop(lua_State *L) {
  if (count_ok(L, 1, 1)) stop_daemon(to_param<HANDLE>(integer_at(L, 1)));
  return 0;
}

const luaL_Reg kDaemonFunctions[] = {
    // DaemonThread_Start(script [, argument]): runs the script in a thread with a Lua state of its own; the thread
    // handle, 0 when it cannot start (also for a wrong count).
    {"DaemonThread_Start", daemon_start},
    // DaemonThread_Stop(thread): stops a daemon this library started (a wrong count does nothing).
    {"DaemonThread_Stop", daemon_stop},
};

const LuaFamily daemon_family(kDaemonFunctions);

}  // namespace
}  // namespace tarvo::lua
