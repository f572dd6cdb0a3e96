// The stand-in spreadsheet server as a local server, started by COM with
// -Embedding after the class named on its command line ("excel" or "wps",
// and "local" for the local-only class). One process serves every creation
// of its class; its application objects are in the running-object table
// under the application's class until Quit.
#include "excel_standin.hpp"
#include "objects.hpp"
#include "server.hpp"

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR command_line, int) {
  const bool wps = command_line && wcsstr(command_line, L"wps");
  const bool local_only = command_line && wcsstr(command_line, L"local");
  using namespace standin::excel;
  const CLSID &active = wps ? kWpsClsid : kExcelClsid;
  const CLSID &clsid = local_only ? (wps ? kWpsLocalClsid : kExcelLocalClsid) : active;
  standin::ClassFactory factory(wps ? create_wps : create_excel);
  register_active_as(active);
  standin::set_local_server_registration(REGCLS_MULTIPLEUSE);
  return standin::run_local_server(clsid, factory);
}
