// The stand-in report browser: records how it was started and which working
// folder its configuration names, then exits. It writes "pelvari.log" beside
// itself (UTF-8): the line "cmdline<TAB><its command line>", then
// "workpath<TAB><value of workpath in section app of app.ini beside it>".
#include "file_text.hpp"

#include <windows.h>

#include <string>

namespace {

using standin::utf8;

std::wstring own_folder() {
  wchar_t path[4096] = {};
  GetModuleFileNameW(nullptr, path, 4096);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L'\\') + 1);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring folder = own_folder();
  wchar_t workpath[4096] = {};
  GetPrivateProfileStringW(L"app", L"workpath", L"", workpath, 4096, (folder + L"app.ini").c_str());
  const std::string log = "cmdline\t" + utf8(GetCommandLineW()) + "\nworkpath\t" + utf8(workpath) + "\n";
  HANDLE file = CreateFileW((folder + L"pelvari.log").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, log.data(), static_cast<DWORD>(log.size()), &written, nullptr);
  CloseHandle(file);
  return 0;
}
