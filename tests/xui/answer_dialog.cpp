// answer_dialog <marker file> <class> <title or *> <command> [text]: waits for
// that window of the process that started it (exit 1 if none came), writes
// "found <left> <top> <style of its text field>" to the marker file, types
// the text and sends the command as its button would (0 closes the window,
// -1 its owner).
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>

namespace {

DWORD parent_pid() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W e{};
  e.dwSize = sizeof e;
  DWORD parent = 0;
  for (BOOL more = Process32FirstW(snap, &e); more; more = Process32NextW(snap, &e))
    if (e.th32ProcessID == GetCurrentProcessId()) parent = e.th32ParentProcessID;
  CloseHandle(snap);
  return parent;
}

struct Search {
  const wchar_t *cls, *title;  // title null: any
  DWORD pid;
  HWND found;
};

BOOL CALLBACK match(HWND hwnd, LPARAM lp) {
  auto *s = reinterpret_cast<Search *>(lp);
  wchar_t cls[256] = {}, title[256] = {};
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  GetClassNameW(hwnd, cls, 256);
  GetWindowTextW(hwnd, title, 256);
  if (pid != s->pid || !IsWindowVisible(hwnd) || lstrcmpW(cls, s->cls) || (s->title && lstrcmpW(title, s->title)))
    return TRUE;
  s->found = hwnd;
  return FALSE;
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
  if (argc < 5) return 2;
  Search s{argv[2], std::wcscmp(argv[3], L"*") == 0 ? nullptr : argv[3], parent_pid(), nullptr};
  for (const ULONGLONG until = GetTickCount64() + 60000; !s.found && GetTickCount64() < until; Sleep(20))
    EnumWindows(match, reinterpret_cast<LPARAM>(&s));
  if (!s.found) return 1;
  // The name field of a file dialog, or the field of an input box.
  HWND field = GetDlgItem(s.found, 1148) ? GetDlgItem(s.found, 1148) : GetDlgItem(s.found, 1152);
  if (!field) field = FindWindowExW(s.found, nullptr, L"Edit", nullptr);
  RECT r{};
  GetWindowRect(s.found, &r);
  if (FILE *f = _wfopen(argv[1], L"w")) {
    std::fprintf(f, "found %ld %ld %ld", r.left, r.top, GetWindowLongW(field, GWL_STYLE));
    std::fclose(f);
  }
  if (argc > 5) SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[5]));
  const int command = _wtoi(argv[4]);
  const HWND target = command == -1 ? GetWindow(s.found, GW_OWNER) : s.found;
  PostMessageW(target, command > 0 ? WM_COMMAND : WM_CLOSE, command > 0 ? command : 0, 0);
  return 0;
}
