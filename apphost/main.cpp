// apphost: shows the application's HTML user interface named in "app.ini"
// beside the program (section "vantor") and runs until its window closes.
// No command-line arguments; the exit code is always 0.
#include "host.hpp"
#include "program.hpp"
#include "xcore.h"
#include "xini.h"
#include "xpath.h"
#include "xtext.h"

#include <string>

namespace {

using tarvo::program::take;

// The two builds differ only in the key naming the engine DLL.
constexpr const wchar_t *kEngineKey = sizeof(void *) == 8 ? L"sciter64" : L"sciter32";
constexpr const wchar_t *kSection = L"vantor";

// A text value with every "{$AppPath}" replaced by the program folder.
std::wstring read_path(const wchar_t *ini, const wchar_t *key, const std::wstring &program_folder) {
  std::wstring raw = take(Ini_ReadW(ini, kSection, key));
  return take(xCore_ReplaceW(raw.c_str(), L"{$AppPath}", program_folder.c_str()));
}

void run() {
  const std::wstring folder = take(xCore_AppPathW());
  const std::wstring ini = take(Path_JoinW(folder.c_str(), L"app.ini"));
  const std::wstring engine_dll = read_path(ini.c_str(), kEngineKey, folder);
  const std::wstring page = read_path(ini.c_str(), L"index", folder);
  const int width = Ini_ReadIntW(ini.c_str(), kSection, L"w");
  const int height = Ini_ReadIntW(ini.c_str(), kSection, L"h");
  if (Ini_ReadIntW(ini.c_str(), kSection, L"debug"))
    MessageBoxW(nullptr, engine_dll.c_str(), page.c_str(), MB_OK);
  tarvo::uihost::run_host(engine_dll.c_str(), page.c_str(), width, height, tarvo::uihost::ReturnText::Ignored);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return tarvo::program::main_of(run); }
