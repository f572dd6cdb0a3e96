// The stand-in word processor as a local server, started by COM with
// -Embedding ("local" on its command line for the local-only class). One
// process serves every creation; its application objects are in the
// running-object table under "Word.Application"'s class until Quit.
#include "objects.hpp"
#include "server.hpp"
#include "word_standin.hpp"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR command_line, int) {
  using namespace standin::word;
  const bool local_only = standin::command_line_holds(command_line, L"local");
  return standin::run_application_server(create_word, kWordClsid, local_only ? kWordLocalClsid : kWordClsid);
}
