// The stand-in presentation program as a local server, started by COM with
// -Embedding. One process serves every creation of its class, as the program
// does; its application objects are in the running-object table until Quit.
#include "objects.hpp"
#include "ppt_standin.hpp"
#include "server.hpp"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  using namespace standin::ppt;
  standin::ClassFactory factory(create_application);
  register_active_as(kPptClsid);
  standin::set_local_server_registration(REGCLS_MULTIPLEUSE);
  return standin::run_local_server(kPptClsid, factory);
}
