// The stand-in mail client as a local server, started by COM with -Embedding
// ("local" on its command line for the local-only class). One process serves
// every creation and holds the one mailbox its application objects share;
// they are in the running-object table under the application's class until
// Quit.
#include "objects.hpp"
#include "outlook_standin.hpp"
#include "server.hpp"

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR command_line, int) {
  using namespace standin::outlook;
  const bool local_only = command_line && wcsstr(command_line, L"local");
  standin::ClassFactory factory(create_outlook);
  register_active_as(kOutlookClsid);
  standin::set_local_server_registration(REGCLS_MULTIPLEUSE);
  return standin::run_local_server(local_only ? kOutlookLocalClsid : kOutlookClsid, factory);
}
