// The test object model as an in-process server.
#include "server.hpp"
#include "test_model.hpp"

namespace {
standin::ClassFactory g_factory(standin::test_model::create_application);
const standin::ServedClass g_classes[] = {{&standin::test_model::kInprocClsid, &g_factory}};
}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void **out) {
  return standin::get_class_object(g_classes, 1, clsid, iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return standin::can_unload_now(); }
