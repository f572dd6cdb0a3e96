// The cost of the desktop-automation calls on the stand-in object
// in-process (made from its DLL file), in the same run as their baselines:
// OP_MoveTo and OP_FindColorExW against the GetIDsOfNames + Invoke calls a
// caller would write by hand (the result text copied into a string of its
// own and released), and OP_FindColorW against a direct call through the
// object's function table with the same arguments.
#include "com_ref.hpp"
#include "by_hand.hpp"
#include "timing.hpp"
#include "xcore.h"
#include "xop.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using tarvo::com::Variant;

using tarvo::bench::copy_text_by_hand;
using tarvo::bench::invoke_by_hand;

constexpr WORD kGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

int32_t move_to_by_hand(IDispatch *object, int32_t x, int32_t y) {
  VARIANT args[2];
  args[1].vt = args[0].vt = VT_I4;
  args[1].lVal = x;
  args[0].lVal = y;
  Variant result;
  if (FAILED(invoke_by_hand(object, L"MoveTo", kGet, args, 2, result.get())) || result->vt != VT_I4) return 0;
  return result->lVal;
}

size_t find_color_ex_by_hand(IDispatch *object, const wchar_t *color) {
  VARIANT args[7];
  const int32_t numbers[] = {0, 0, 100, 100};
  for (int i = 0; i < 4; ++i) {
    args[6 - i].vt = VT_I4;
    args[6 - i].lVal = numbers[i];
  }
  args[2].vt = VT_BSTR;
  args[2].bstrVal = SysAllocString(color);
  args[1].vt = VT_R8;
  args[1].dblVal = 0.9;
  args[0].vt = VT_I4;
  args[0].lVal = 0;
  Variant text;
  HRESULT hr = invoke_by_hand(object, L"FindColorEx", kGet, args, 7, text.get());
  SysFreeString(args[2].bstrVal);
  return FAILED(hr) ? 0 : copy_text_by_hand(*text.get());
}

// FindColor at its position of the object's own table.
using FindColorMethod = HRESULT(STDMETHODCALLTYPE *)(IUnknown *, LONG, LONG, LONG, LONG, BSTR, double, LONG,
                                                     VARIANT *, VARIANT *, LONG *);
int32_t find_color_direct(IUnknown *dual, const wchar_t *color, int32_t *x, int32_t *y) {
  auto method = reinterpret_cast<FindColorMethod>((*reinterpret_cast<void *const *const *>(dual))[84]);
  Variant vx, vy;
  LONG result = 0;
  BSTR text = SysAllocString(color);
  HRESULT hr = method(dual, 0, 0, 100, 100, text, 0.9, 0, vx.get(), vy.get(), &result);
  SysFreeString(text);
  *x = SUCCEEDED(hr) && vx->vt == VT_I4 ? vx->lVal : 0;
  *y = SUCCEEDED(hr) && vy->vt == VT_I4 ? vy->lVal : 0;
  return SUCCEEDED(hr) ? result : 0;
}

}  // namespace

int main() {
  OpObject *h = OP_CreateObjectW(L"tarvo_op_standin.dll");
  if (!h) {
    std::printf("the stand-in DLL could not be loaded\n");
    return 1;
  }
  IDispatch *object = h->object;
  tarvo::bench::stop_journal(object);
  IID iid;
  IIDFromString(const_cast<LPOLESTR>(XOP_INTERFACE), &iid);
  tarvo::com::Ref<IUnknown> dual;
  object->QueryInterface(iid, dual.put_void());

  const int rounds = 25, reps = 4000;  // short rounds: the fastest of many escapes a busy machine
  const wchar_t *color = L"ff0000-101010";
  int32_t i = 0, x = 0, y = 0;
  tarvo::bench::compare("OP_MoveTo", rounds, reps, [&] { OP_MoveTo(h, ++i & 1023, 5); },
                        [&] { move_to_by_hand(object, ++i & 1023, 5); });
  tarvo::bench::compare("OP_FindColorExW", rounds, reps,
                        [&] { xCore_free(OP_FindColorExW(h, 0, 0, 100, 100, color, 0.9, 0)); },
                        [&] { find_color_ex_by_hand(object, color); });
  tarvo::bench::compare("OP_FindColorW (through the table)", rounds, reps,
                        [&] { OP_FindColorW(h, 0, 0, 100, 100, color, 0.9, 0, &x, &y); },
                        [&] { find_color_direct(dual.get(), color, &x, &y); });
  dual.reset();
  OP_ReleaseObject(h);
  return 0;
}
