// The COM script functions: the error display switch, releasing object
// handles, and calling, reading or assigning any member expression.
//
// Values of "%" conversions: the expression's conversions take their values
// from the Lua arguments after the expression, in order (a script has no C
// argument list to offer). A conversion with no suitable value — the argument
// is missing, of the wrong type, or a kind a script cannot give (B, v, W, f:
// raw pointers) — fails the call with E_INVALIDARG before anything is
// invoked; nothing is ever read that was not given. Surplus arguments are
// ignored, so COM_CallW(app, ".Quit()", 1, 2) calls Quit with no argument.
// Script values by letter: d u p t integers; b a boolean or an integer; e D
// numbers; S s T strings (UTF-8, all three as text); o O object handles
// (0 is a null object); m takes no value.
#include "com_ref.hpp"
#include "disphelper.h"
#include "forms.hpp"
#include "registry.hpp"
#include "runtime.hpp"
#include "transcode.hpp"
#include "wrap.hpp"
#include "xstring.h"

namespace tarvo::lua {
namespace {

namespace disp = tarvo::disp;

IDispatch *object_at(lua_State *L, int pos) {
  return reinterpret_cast<IDispatch *>(static_cast<intptr_t>(integer_at(L, pos)));
}

// Reads conversion values from the Lua stack without ever raising a Lua
// error (the call holds converted texts while it runs).
class LuaArguments final : public disp::ArgumentSource {
 public:
  LuaArguments(lua_State *L, int first) : L_(L), next_(first) {}

  HRESULT convert(wchar_t letter, VARIANT &slot, bool &owned) override {
    const int pos = next_++;
    if (!present(L_, pos)) return E_INVALIDARG;
    int ok = 0;
    switch (letter) {
      case L'd':
      case L'u':
      case L'p':
      case L't': {
        const lua_Integer v = api.lua_tointegerx(L_, pos, &ok);
        if (!ok) return E_INVALIDARG;
        if (letter == L't') return disp::time_to_slot(static_cast<time_t>(v), slot);
        return disp::integer_to_slot(letter == L'd' ? VT_I4 : letter == L'u' ? VT_UI4 : VT_I8, v, slot);
      }
      case L'b': {
        const bool boolean = api.lua_type(L_, pos) == LUA_TBOOLEAN;
        const lua_Integer v = boolean ? api.lua_toboolean(L_, pos) : api.lua_tointegerx(L_, pos, &ok);
        return boolean || ok ? disp::integer_to_slot(VT_BOOL, v, slot) : E_INVALIDARG;
      }
      case L'e':
      case L'D': {
        const lua_Number v = api.lua_tonumberx(L_, pos, &ok);
        return ok ? disp::real_to_slot(letter == L'e' ? VT_R8 : VT_DATE, v, slot) : E_INVALIDARG;
      }
      case L'S':
      case L's':
      case L'T': return text(pos, slot, owned);
      case L'o':
      case L'O': {
        const lua_Integer handle = api.lua_tointegerx(L_, pos, &ok);
        if (!ok) return E_INVALIDARG;
        slot.vt = letter == L'o' ? VT_DISPATCH : VT_UNKNOWN;
        slot.punkVal = reinterpret_cast<IUnknown *>(static_cast<intptr_t>(handle));
        return S_OK;
      }
      default: return E_INVALIDARG;  // raw pointers cannot come from a script
    }
  }

 private:
  // A UTF-8 string (and only a string) as a new BSTR.
  HRESULT text(int pos, VARIANT &slot, bool &owned) {
    if (api.lua_type(L_, pos) != LUA_TSTRING) return E_INVALIDARG;
    size_t n = 0;
    const char *s = api.lua_tolstring(L_, pos, &n);
    slot.vt = VT_BSTR;
    slot.bstrVal = nullptr;
    const int wide = n ? tarvo::multibyte_to_wide(CP_UTF8, 0, s, static_cast<int>(n), nullptr, 0) : 0;
    if (n && wide <= 0) return E_INVALIDARG;
    com::Bstr b(SysAllocStringLen(nullptr, static_cast<UINT>(wide)));
    if (!b.get()) return E_OUTOFMEMORY;
    if (n) tarvo::multibyte_to_wide(CP_UTF8, 0, s, static_cast<int>(n), b.get(), wide);
    slot.bstrVal = b.detach();
    owned = true;
    return S_OK;
  }

  lua_State *L_;
  int next_;
};

// The dispatch calls run here, with their temporaries; the results are
// pushed only after everything with a destructor is gone.
bool call(lua_State *L, bool put) {
  WideArg<kCodePageU> expression(api.lua_tolstring(L, 2, nullptr));
  LuaArguments values(L, 3);
  IDispatch *object = object_at(L, 1);
  return SUCCEEDED(put ? disp::PutValue(object, expression.get(), values)
                       : disp::CallMethodV(object, expression.get(), values));
}

// Text results come back as UTF-8 allocated by the library (EmptyString on
// failure); object and integer results as integers.
char *get_text(lua_State *L) {
  WideArg<kCodePageU> expression(api.lua_tolstring(L, 3, nullptr));
  LuaArguments values(L, 4);
  com::Bstr value;
  if (FAILED(disp::GetValue(L"%S", value.put(), object_at(L, 2), expression.get(), values)) || !value.get())
    return empty_a();
  return xCore_W2U(value.get(), SysStringByteLen(value.get()));
}

lua_Integer get_integer(lua_State *L, lua_Integer kind) {
  WideArg<kCodePageU> expression(api.lua_tolstring(L, 3, nullptr));
  LuaArguments values(L, 4);
  if (kind == 2) {
    IDispatch *object = nullptr;
    disp::GetValue(L"%o", &object, object_at(L, 2), expression.get(), values);
    return static_cast<lua_Integer>(reinterpret_cast<intptr_t>(object));
  }
  int32_t value = 0;
  disp::GetValue(L"%d", &value, object_at(L, 2), expression.get(), values);
  return value;
}

int show_error(lua_State *L) {
  if (!count_ok(L, 0, 0)) return param_count_error(L);
  disp::SetErrorDisplay(true);
  return 0;
}

int hide_error(lua_State *L) {
  if (!count_ok(L, 0, 0)) return param_count_error(L);
  disp::SetErrorDisplay(false);
  return 0;
}

int release(lua_State *L) {
  if (!count_ok(L, 1, 1)) return param_count_error(L);
  if (IDispatch *object = object_at(L, 1)) object->Release();
  return 0;
}

int call_w(lua_State *L) {
  if (!count_ok(L, 2, -1)) return param_count_error(L);
  api.lua_pushboolean(L, call(L, false));
  return 1;
}

int put_w(lua_State *L) {
  if (!count_ok(L, 2, -1)) return param_count_error(L);
  api.lua_pushboolean(L, call(L, true));
  return 1;
}

int get_w(lua_State *L) {
  if (!count_ok(L, 3, -1)) return param_count_error(L);
  const lua_Integer kind = integer_at(L, 1);
  if (kind == 1) return Ret::Text::push(L, get_text(L));
  api.lua_pushinteger(L, get_integer(L, kind));
  return 1;
}

const luaL_Reg kComFunctions[] = {
    // COM_ShowError(): from now on a failed call shows its error in a message box.
    {"COM_ShowError", show_error},
    // COM_HideError(): failed calls keep their error in the error record only.
    {"COM_HideError", hide_error},
    // COM_Release(object): releases the script's reference to the object (0 is ignored).
    {"COM_Release", release},
    // COM_CallW(object, expression, values...): calls the member expression; true when it succeeded.
    {"COM_CallW", call_w},
    // COM_GetW(kind, object, expression, values...): the expression's value: 1 text, 2 an object handle, else an integer.
    {"COM_GetW", get_w},
    // COM_PutW(object, expression, values...): assigns through the expression ("... = %d"); true when it succeeded.
    {"COM_PutW", put_w},
};
const LuaFamily com_family(kComFunctions);

}  // namespace
}  // namespace tarvo::lua
