// The stand-in spreadsheet server as a local server, started by COM with
// -Embedding after the class named on its command line ("excel" or "wps").
// One process serves every creation of its class; its application objects
// are in the running-object table until Quit.
#include "excel_standin.hpp"
#include "objects.hpp"
#include "server.hpp"

#include <cwchar>

namespace {
HRESULT create_excel(REFIID iid, void **out) { return standin::excel::create_application(false, iid, out); }
HRESULT create_wps(REFIID iid, void **out) { return standin::excel::create_application(true, iid, out); }
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR command_line, int) {
  const bool wps = command_line && wcsstr(command_line, L"wps");
  const CLSID &clsid = wps ? standin::excel::kWpsClsid : standin::excel::kExcelClsid;
  standin::ClassFactory factory(wps ? create_wps : create_excel);
  standin::excel::register_active_as(clsid);
  standin::set_local_server_registration(REGCLS_MULTIPLEUSE);
  return standin::run_local_server(clsid, factory);
}
