// The stand-in spreadsheet server in-process: both classes from one DLL.
#include "excel_standin.hpp"
#include "objects.hpp"
#include "server.hpp"

namespace {
HRESULT create_excel(REFIID iid, void **out) { return standin::excel::create_application(false, iid, out); }
HRESULT create_wps(REFIID iid, void **out) { return standin::excel::create_application(true, iid, out); }
standin::ClassFactory g_excel(create_excel);
standin::ClassFactory g_wps(create_wps);
const standin::ServedClass g_classes[] = {{&standin::excel::kExcelClsid, &g_excel},
                                          {&standin::excel::kWpsClsid, &g_wps}};
}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void **out) {
  return standin::get_class_object(g_classes, 2, clsid, iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return standin::can_unload_now(); }
