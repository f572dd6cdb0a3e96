// The stand-in mail client as a local server, started by COM with -Embedding
// ("local" on its command line for the local-only class). One process serves
// every creation and holds the one mailbox its application objects share;
// they are in the running-object table under the application's class until
// Quit.
#include "objects.hpp"
#include "outlook_standin.hpp"
#include "server.hpp"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR command_line, int) {
  using namespace standin::outlook;
  const bool local_only = standin::command_line_holds(command_line, L"local");
  return standin::run_application_server(create_outlook, kOutlookClsid,
                                         local_only ? kOutlookLocalClsid : kOutlookClsid);
}
