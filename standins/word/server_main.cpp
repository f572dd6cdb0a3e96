// The stand-in word processor as a local server, started by COM with
// -Embedding ("local" on its command line for the local-only class). One
// process serves every creation; its application objects are in the
// running-object table under "Word.Application"'s class until Quit.
#include "objects.hpp"
#include "server.hpp"
#include "word_standin.hpp"

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR command_line, int) {
  using namespace standin::word;
  const bool local_only = command_line && wcsstr(command_line, L"local");
  standin::ClassFactory factory(create_word);
  register_active_as(kWordClsid);
  standin::set_local_server_registration(REGCLS_MULTIPLEUSE);
  return standin::run_local_server(local_only ? kWordLocalClsid : kWordClsid, factory);
}
