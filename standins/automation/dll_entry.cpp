// The entry points of every in-process stand-in server, over the classes its
// DLL lists in served_classes().
#include "server.hpp"

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void **out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  for (standin::ServedClass &c : standin::served_classes())
    if (*c.clsid == clsid) return c.factory.QueryInterface(iid, out);
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return standin::can_unload_now(); }
