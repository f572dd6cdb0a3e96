// A page-function call ("pathJoin") through the host's event handler, the
// name table and the stand-in engine's values, against a direct call of
// Path_JoinW with the same arguments, measured in the same run. Prints the
// best of several rounds and the ratio handler / direct call.
#include "host.hpp"
#include "timing.hpp"
#include "xcore.h"
#include "xpath.h"

#include <windows.h>

#include <cstdio>

using namespace tarvo;

int main() {
  xCoreInit();
  HMODULE dll = LoadLibraryW(L"tarvo_htmlengine_standin.dll");
  auto entry = dll ? reinterpret_cast<html::ApiEntryFn>(GetProcAddress(dll, "SciterAPI")) : nullptr;
  const void *table = entry ? entry() : nullptr;
  if (!table) {
    std::printf("the stand-in engine tarvo_htmlengine_standin.dll is not beside the benchmark\n");
    return 1;
  }
  const html::Engine engine = html::Engine::from_table(table);
  if (!uihost::open_page_functions(engine)) return 1;

  const wchar_t folder[] = L"C:\\Users\\robot\\reports", name[] = L"2026-12-07 summary.xlsx";
  html::Value args[2] = {};
  engine.set_text(&args[0], folder, static_cast<UINT>(wcslen(folder)), 0);
  engine.set_text(&args[1], name, static_cast<UINT>(wcslen(name)), 0);
  html::MethodCall call{"pathJoin", args, 2, {}};

  bool answered = true;
  auto through_handler = [&] {
    answered &= uihost::on_engine_event(nullptr, nullptr, html::kScriptingCalls, &call) != FALSE;
  };
  auto direct = [&] { xCore_free(Path_JoinW(folder, name)); };
  bench::compare("pathJoin via handler / direct", 15, 20000, through_handler, direct, 1.3);  // at most 1.3 times
  if (!answered) std::printf("the handler left calls unhandled\n");
  uihost::close_page_functions();
  xCoreUnit();
  return 0;
}
