// The stand-in presentation program as a local server, started by COM with
// -Embedding. One process serves every creation of its class, as the program
// does; its application objects are in the running-object table until Quit.
#include "objects.hpp"
#include "ppt_standin.hpp"
#include "server.hpp"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  using namespace standin::ppt;
  return standin::run_application_server(create_application, kPptClsid, kPptClsid);
}
