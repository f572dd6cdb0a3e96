// A DLL serving the stand-in object through DllGetClassObject (also
// registered by ProgID for the tests). Built a second time with
// OP_STANDIN_REFUSING: a DLL whose factory refuses as the environment says.
#include "op_standin.hpp"

namespace {
#ifdef OP_STANDIN_REFUSING
standin::op::Refusal refusal() { return standin::op::refusal_from_environment(); }
#else
standin::op::Refusal refusal() { return standin::op::Refusal::none; }
#endif
}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void **out) {
  return standin::op::get_class_object(clsid, iid, out, refusal());
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_FALSE; }

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_DETACH) standin::op::report_unload();
  return TRUE;
}
