// Processes and windows of the tests' own helper programs: started here,
// ended by the object that started them, never anybody else's.
#pragma once

#include <windows.h>

#include <string>

namespace tarvo::test {

// A helper program beside the test program.
std::wstring helper(const std::wstring &exe);

class Child {
 public:
  explicit Child(const std::wstring &command_line);
  ~Child();  // ends the process if it still runs
  Child(const Child &) = delete;
  Child &operator=(const Child &) = delete;
  bool started() const { return pi_.hProcess != nullptr; }
  HANDLE handle() const { return pi_.hProcess; }
  DWORD pid() const { return pi_.dwProcessId; }
  // Waits (generously) for the end; the exit code, or -1 when still running.
  long exit_code(DWORD wait_ms = 30000) const;

 private:
  PROCESS_INFORMATION pi_{};
};

// Polls until `done()` holds or a generous deadline passes; whether it held.
template <class F>
bool eventually(F done, DWORD deadline_ms = 30000) {
  for (DWORD start = GetTickCount(); !done(); Sleep(20))
    if (GetTickCount() - start > deadline_ms) return done();
  return true;
}

}  // namespace tarvo::test
