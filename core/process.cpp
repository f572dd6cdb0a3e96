// Process start: Run (returns the handle), Start (shell execute), Chain (waits
// for the exit code).
#include "forms.hpp"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

// The caller's own startup information with only the show value replaced, so
// the value takes effect only where the reported flags ask for it.
template <class T>
HANDLE run_process(const T *cmdline, int32_t show) {
  if (!cmdline || !cmdline[0]) return nullptr;
  return tarvo::guarded([&]() -> HANDLE {
  std::basic_string<T> line(cmdline);  // the system may write into the command line
  PROCESS_INFORMATION pi{};
  BOOL ok;
  if constexpr (sizeof(T) == 2) {
    STARTUPINFOW si{};
    GetStartupInfoW(&si);
    si.wShowWindow = static_cast<WORD>(show);
    ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  } else {
    STARTUPINFOA si{};
    GetStartupInfoA(&si);
    si.wShowWindow = static_cast<WORD>(show);
    ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  }
  if (!ok) return nullptr;
  CloseHandle(pi.hThread);  // nobody receives it
  return pi.hProcess;
  }, nullptr);
}

template <class T>
uint32_t chain_process(const T *cmdline, int32_t show) {
  HANDLE process = run_process(cmdline, show);
  if (!process) return 0;
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  if (!GetExitCodeProcess(process, &code)) code = 0;
  CloseHandle(process);
  return code;
}

}  // namespace

extern "C" {

void *xCore_RunW(const wchar_t *cmdline, int32_t show) { return run_process(cmdline, show); }
void *xCore_RunA(const char *cmdline, int32_t show) { return run_process(cmdline, show); }
void *xCore_RunU(const char *cmdline, int32_t show) { return tarvo::via_w<tarvo::kCodePageU, xCore_RunW>(cmdline, show); }

intptr_t xCore_StartW(const wchar_t *file, int32_t show) {
  return reinterpret_cast<intptr_t>(ShellExecuteW(nullptr, nullptr, file, nullptr, nullptr, show));
}
intptr_t xCore_StartA(const char *file, int32_t show) {
  return reinterpret_cast<intptr_t>(ShellExecuteA(nullptr, nullptr, file, nullptr, nullptr, show));
}
intptr_t xCore_StartU(const char *file, int32_t show) {
  return tarvo::via_w<tarvo::kCodePageU, xCore_StartW>(file, show);
}

uint32_t xCore_ChainW(const wchar_t *cmdline, int32_t show) { return chain_process(cmdline, show); }
uint32_t xCore_ChainA(const char *cmdline, int32_t show) { return chain_process(cmdline, show); }
uint32_t xCore_ChainU(const char *cmdline, int32_t show) {
  return tarvo::via_w<tarvo::kCodePageU, xCore_ChainW>(cmdline, show);
}

}  // extern "C"
