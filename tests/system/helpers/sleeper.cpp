// Sleeps until it is ended. `sleeper --spawn N` first starts N copies of
// itself as its children (a spawner for the child-walk tests).
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

int main() {
  int argc = 0;
  wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc > 2 && std::wstring(argv[1]) == L"--spawn") {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (int i = _wtoi(argv[2]); i > 0; --i) {
      std::wstring line = L"\"" + std::wstring(self) + L"\"";
      STARTUPINFOW si{};
      si.cb = sizeof si;
      PROCESS_INFORMATION pi{};
      if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
      }
    }
  }
  Sleep(INFINITE);
  return 0;
}
