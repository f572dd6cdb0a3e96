// The stand-in GUI in-process: "Sapgui.ScriptingCtrl.1", an engine per object.
#include "objects.hpp"
#include "sap_standin.hpp"
#include "server.hpp"

namespace {
standin::ClassFactory g_engine(standin::sap::create_engine);
const standin::ServedClass g_classes[] = {{&standin::sap::kScriptingClsid, &g_engine}};
}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void **out) {
  return standin::get_class_object(g_classes, 1, clsid, iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return standin::can_unload_now(); }
