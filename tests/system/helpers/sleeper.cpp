// Sleeps until it is ended; `sleeper --spawn N` first starts N copies of
// itself as its children (a spawner for the child-walk tests).
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

int main() {
  int argc = 0;
  wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  wchar_t self[MAX_PATH];
  std::wstring line = L"\"" + std::wstring(self, GetModuleFileNameW(nullptr, self, MAX_PATH)) + L"\"";
  for (int i = argc > 2 && std::wstring(argv[1]) == L"--spawn" ? _wtoi(argv[2]) : 0; i > 0; --i) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring copy = line;
    if (!CreateProcessW(nullptr, copy.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) continue;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  Sleep(INFINITE);
  return 0;
}
