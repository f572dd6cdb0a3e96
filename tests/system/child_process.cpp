#include "child_process.hpp"

namespace tarvo::test {

std::wstring helper(const std::wstring &exe) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L'\\') + 1) + exe;
}

Child::Child(const std::wstring &command_line) {
  std::wstring line = command_line;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) pi_ = {};
  if (pi_.hThread) CloseHandle(pi_.hThread);
}

Child::~Child() {
  if (!pi_.hProcess) return;
  if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(pi_.hProcess, 1);
    WaitForSingleObject(pi_.hProcess, 30000);
  }
  CloseHandle(pi_.hProcess);
}

long Child::exit_code(DWORD wait_ms) const {
  DWORD code = 0;
  if (WaitForSingleObject(pi_.hProcess, wait_ms) != WAIT_OBJECT_0 || !GetExitCodeProcess(pi_.hProcess, &code))
    return -1;
  return static_cast<long>(code);
}

}  // namespace tarvo::test
