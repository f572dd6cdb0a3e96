// Runs one of our programs in a scratch folder and answers the message boxes it shows (found by the
// text control every message box has, so file dialogs are left to their own answerer).
#pragma once

#include "temp_dir.hpp"

#include <windows.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace tarvo::test {

struct ProgramRun {
  bool ended = false;
  DWORD exit_code = 0xFFFFFFFF;
  std::wstring boxes;  // "title|text;" for each message box, in order
};

// The folder of the running test program (the build's bin folder).
inline std::wstring bin_folder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L'\\') + 1);
}

inline bool copy_from_bin(const wchar_t *name, const std::wstring &to) {
  return CopyFileW((bin_folder() + name).c_str(), to.c_str(), FALSE) != 0;
}

// Starts the program with the given working folder and waits for its end (at most a minute, then it is
// ended and `ended` stays false).
inline ProgramRun run_program(const std::wstring &exe, const std::wstring &folder) {
  ProgramRun run;
  std::wstring line = L"\"" + exe + L"\"";
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
    return run;
  CloseHandle(pi.hThread);
  const auto answer_box = [](HWND hwnd, LPARAM lp) -> BOOL {
    auto &[pid, boxes] = *reinterpret_cast<std::pair<DWORD, std::wstring *> *>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    wchar_t cls[64] = {}, title[1024] = {}, text[1024] = {};
    GetClassNameW(hwnd, cls, 64);
    if (owner != pid || lstrcmpW(cls, L"#32770") || !IsWindowVisible(hwnd) || !GetDlgItem(hwnd, 0xFFFF)) return TRUE;
    GetWindowTextW(hwnd, title, 1024);
    GetDlgItemTextW(hwnd, 0xFFFF, text, 1024);
    *boxes += std::wstring(title) + L"|" + text + L";";
    ShowWindow(hwnd, SW_HIDE);  // so the next poll does not count it again while it closes
    PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
    return TRUE;
  };
  std::pair<DWORD, std::wstring *> search{pi.dwProcessId, &run.boxes};
  for (const ULONGLONG until = GetTickCount64() + 60000; !run.ended && GetTickCount64() < until;) {
    run.ended = WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0;
    if (!run.ended) EnumWindows(answer_box, reinterpret_cast<LPARAM>(&search));
  }
  if (!run.ended) TerminateProcess(pi.hProcess, 99);
  GetExitCodeProcess(pi.hProcess, &run.exit_code);
  CloseHandle(pi.hProcess);
  return run;
}

// A UTF-8 file's lines (a missing file has none).
inline std::vector<std::string> lines_of(const std::wstring &path) {
  std::vector<std::string> lines;
  std::ifstream in(path.c_str(), std::ios::binary);
  for (std::string line; std::getline(in, line); lines.push_back(line))
    if (!line.empty() && line.back() == '\r') line.pop_back();
  return lines;
}

}  // namespace tarvo::test
