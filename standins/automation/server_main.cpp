// The test object model as a local server, started by COM with -Embedding.
// Its application object is found in the running-object table until Quit.
#include "server.hpp"
#include "test_model.hpp"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  using namespace standin::test_model;
  standin::ClassFactory factory(create_application);
  standin::set_active_class(kLocalClsid);
  return standin::run_local_server(kLocalClsid, factory);
}
