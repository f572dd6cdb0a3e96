// The surfpod tests' pieces: a folder (its name has a blank) holding a copy of
// the stand-in browser and its journal, control lines sent to a browser, and
// a leak-checked fixture set up on that folder.
#pragma once

#include "alloc_counter.hpp"
#include "temp_dir.hpp"
#include "xcore.h"
#include "xsurfpod.h"

#include <windows.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace tarvo::test {

using Lines = std::vector<std::string>;

// Lines joined by "|", as the tables write them.
inline std::string joined(const Lines &lines) {
  std::string r;
  for (const std::string &l : lines) r += (r.empty() ? "" : "|") + l;
  return r;
}

inline std::string in_code_page(UINT page, const std::wstring &w) {
  std::string r(WideCharToMultiByte(page, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(page, 0, w.data(), int(w.size()), r.data(), int(r.size()), nullptr, nullptr);
  return r;
}
// A text in the GBK code page (the companion's texts).
inline std::string gbk(const std::wstring &w) { return in_code_page(936, w); }

inline std::wstring beside_test(const std::wstring &name) {
  wchar_t path[MAX_PATH];
  std::wstring p(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return p.substr(0, p.find_last_of(L'\\') + 1) + name;
}

// Waits (generously, or not at all) for the process; whether it has ended.
// With `end`, ends it first.
inline bool process_ends(DWORD pid, DWORD wait = 10000, bool end = false) {
  HANDLE p = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
  if (p && end) TerminateProcess(p, 1);
  bool ended = !p || WaitForSingleObject(p, wait) == WAIT_OBJECT_0;
  if (p) CloseHandle(p);
  return ended;
}

class StandinFolder {
 public:
  // `startup`: the stand-in's standin.txt (start-up faults); its presence keeps the journal.
  explicit StandinFolder(const std::string &startup = "") {
    std::wstring folder = temp_.path() + L"Surf pod\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    CopyFileW(beside_test(L"surfpod\\Surfpod.exe").c_str(), (folder + L"Surfpod.exe").c_str(), FALSE);
    dir_ = in_code_page(CP_ACP, folder);
    std::ofstream(dir_ + "standin.txt", std::ios::binary) << startup;
  }
  ~StandinFolder() { end_all(); }
  void end_all() {
    for (DWORD pid : started()) process_ends(pid, 10000, true);
  }

  const std::string &dir() const { return dir_; }  // ANSI, ends in a backslash
  const std::wstring &parent() const { return temp_.path(); }
  // The journal's lines since the last call (the journal is emptied); with
  // `commands`, only commands and reads (no start lines, no start-up queries).
  Lines take_journal(bool commands = false) {
    std::string path = dir_ + "journal.txt";
    std::ifstream in(path, std::ios::binary);
    Lines lines;
    for (std::string line; std::getline(in, line);) {
      bool start = line.rfind("start ", 0) == 0;
      if (start) pids_.insert(std::stoul(line.substr(6)));
      if (!commands || (!start && line.rfind("0x1400 ", 0) != 0)) lines.push_back(line);
    }
    in.close();
    DeleteFileA(path.c_str());
    return lines;
  }
  // Stand-in processes started from this folder so far.
  const std::set<DWORD> &started() {
    take_journal();
    return pids_;
  }

 private:
  TempDir temp_;
  std::string dir_;
  std::set<DWORD> pids_;
};

// A control line for the stand-in (fields separated by tabs, see its README).
inline void control(HWND main, const std::string &line) {
  COPYDATASTRUCT data{0x5350, static_cast<DWORD>(line.size()), const_cast<char *>(line.data())};
  SendMessageA(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}
// Control lines to a held browser, joined by "|".
inline void control(SurfpodInstance *h, const std::string &lines) {
  for (size_t at = 0, end; at < lines.size(); at = end + 1) {
    end = std::min(lines.find('|', at), lines.size());
    control(static_cast<HWND>(h->hWndMain), lines.substr(at, end - at));
  }
}

// The library's text, released: "(null)" and "(empty)" for null and EmptyString.
inline std::string take(char *text) {
  if (!text) return "(null)";
  if (text == xCore.EmptyString) return "(empty)";
  std::string r(text);
  xCore_free(text);
  return r;
}

// The browser windows of a process, in z-order.
inline std::vector<HWND> browser_windows(DWORD pid) {
  std::vector<HWND> found;
  for (HWND w = FindWindowExA(nullptr, nullptr, "ThunderRT6FormDC", nullptr); w;
       w = FindWindowExA(nullptr, w, "ThunderRT6FormDC", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid) found.push_back(w);
  }
  return found;
}

class SurfpodTest : public LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    ASSERT_EQ(Surfpod_Setup(folder_.dir().c_str()), 1);
  }
  void TearDown() override {
    Surfpod_CloseAll();
    LeakCheckedTest::TearDown();
  }
  // A browser started through the library, its journal emptied.
  SurfpodInstance *start() {
    SurfpodInstance *h = Surfpod_Create();
    folder_.take_journal();
    return h;
  }
  StandinFolder folder_;
};

}  // namespace tarvo::test
