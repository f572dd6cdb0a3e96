// The stand-in spreadsheet server as a local server, started by COM with
// -Embedding after the class named on its command line ("excel" or "wps",
// and "local" for the local-only class). One process serves every creation
// of its class; its application objects are in the running-object table
// under the application's class until Quit.
#include "excel_standin.hpp"
#include "objects.hpp"
#include "server.hpp"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR command_line, int) {
  using namespace standin::excel;
  const bool wps = standin::command_line_holds(command_line, L"wps");
  const bool local_only = standin::command_line_holds(command_line, L"local");
  const CLSID &active = wps ? kWpsClsid : kExcelClsid;
  const CLSID &served = local_only ? (wps ? kWpsLocalClsid : kExcelLocalClsid) : active;
  return standin::run_application_server(wps ? create_wps : create_excel, active, served);
}
