// Shared pieces of the system tests: a leak-checked fixture with a temporary folder, results released at the
// end of a scope, processes of our own helper programs.
#pragma once

#include "alloc_counter.hpp"
#include "temp_dir.hpp"
#include "xcore.h"

#include <windows.h>

#include <string>

namespace tarvo::test {

// A library result released when the scope ends.
template <class T>
class Owned {
 public:
  explicit Owned(T *p) : p_(p), size_(xCore.iRetSize) {}
  ~Owned() { xCore_free(p_); }
  Owned(const Owned &) = delete;
  uint32_t size() const { return size_; }  // iRetSize right after the call
  std::basic_string<T> str() const { return p_ ? std::basic_string<T>(p_, size_ / sizeof(T)) : std::basic_string<T>(); }
  bool is_empty_string() const { return static_cast<const void *>(p_) == xCore.EmptyString; }

 private:
  T *p_;
  uint32_t size_;
};

class FileTest : public LeakCheckedTest {
 protected:
  std::wstring file(const std::wstring &name) const { return dir_.file(name); }
  const std::wstring &dir() const { return dir_.path(); }
  TempDir dir_;
};

// A program beside the test program.
inline std::wstring helper(const std::wstring &exe) {
  wchar_t path[MAX_PATH];
  std::wstring p(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return p.substr(0, p.find_last_of(L'\\') + 1) + exe;
}

// A process of ours, ended when the object goes if it still runs.
class Child {
 public:
  explicit Child(const std::wstring &program, const std::wstring &arguments = L"") {
    std::wstring line = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_))
      CloseHandle(pi_.hThread);
  }
  ~Child() {
    if (pi_.hProcess && !ended()) TerminateProcess(pi_.hProcess, 1);
    exit_code();
    CloseHandle(pi_.hProcess);
  }
  Child(const Child &) = delete;
  HANDLE handle() const { return pi_.hProcess; }
  DWORD pid() const { return pi_.dwProcessId; }
  bool ended() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0; }
  // Waits (generously) for the end; the exit code, or -1 when still running.
  long exit_code() const {
    DWORD code = 0;
    bool gone = WaitForSingleObject(pi_.hProcess, 30000) == WAIT_OBJECT_0 && GetExitCodeProcess(pi_.hProcess, &code);
    return gone ? static_cast<long>(code) : -1;
  }

 private:
  PROCESS_INFORMATION pi_{};
};

// Polls until `done()` holds or a generous deadline passes; whether it held.
template <class F>
bool eventually(F done) {
  for (DWORD start = GetTickCount(); !done(); Sleep(20))
    if (GetTickCount() - start > 30000) return done();
  return true;
}

}  // namespace tarvo::test
