// Answers one dialog of the process that started it, for the script tests:
//   answer_dialog <marker file> <class> <title or *> <command id> [text]
// writes "found <left> <top>" to the marker file before it answers; exits 1
// when no such window appeared before the deadline.
#include "watcher.hpp"

#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>

static DWORD parent_pid() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W e{};
  e.dwSize = sizeof e;
  DWORD parent = 0;
  for (BOOL more = Process32FirstW(snap, &e); more; more = Process32NextW(snap, &e))
    if (e.th32ProcessID == GetCurrentProcessId()) parent = e.th32ParentProcessID;
  CloseHandle(snap);
  return parent;
}

int wmain(int argc, wchar_t **argv) {
  if (argc < 5) return 2;
  const wchar_t *title = std::wcscmp(argv[3], L"*") == 0 ? nullptr : argv[3], *text = argc > 5 ? argv[5] : nullptr;
  tarvo::test::Watcher w(argv[2], title, [&](HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    if (FILE *f = _wfopen(argv[1], L"w")) {
      std::fprintf(f, "found %ld %ld", r.left, r.top);
      std::fclose(f);
    }
    tarvo::test::answer(window, _wtoi(argv[4]), text);
  }, parent_pid());
  return w.wait() ? 0 : 1;
}
