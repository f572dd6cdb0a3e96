// The surfpod tests' pieces: a folder holding a copy of the stand-in browser
// (its name has a blank), the stand-in's journal, control lines sent to a
// browser, and a leak-checked fixture set up on that folder.
#pragma once

#include "alloc_counter.hpp"
#include "temp_dir.hpp"
#include "xcore.h"
#include "xsurfpod.h"

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace tarvo::test {

class StandinFolder {
 public:
  // `startup`: the stand-in's standin.txt (start-up faults); the file also keeps its journal.
  explicit StandinFolder(const std::string &startup = "");
  ~StandinFolder();  // ends every stand-in started from here
  StandinFolder(const StandinFolder &) = delete;
  StandinFolder &operator=(const StandinFolder &) = delete;

  const std::string &dir() const { return dir_; }  // ANSI, ends in a backslash
  const std::wstring &parent() const { return temp_.path(); }  // the folder holding dir()
  std::string file(const std::string &name) const { return dir_ + name; }
  // The journal's lines since the last call; the journal is emptied.
  std::vector<std::string> take_journal();
  // Journal lines that are commands or reads (no start lines, no queries of
  // the start-up).
  std::vector<std::string> take_commands();
  // Stand-in processes started from this folder so far.
  std::set<DWORD> started();

 private:
  TempDir temp_;
  std::string dir_;
  std::set<DWORD> pids_;
};

// A control line for the stand-in (fields separated by tabs, see its README).
void control(SurfpodInstance *h, const std::string &line);
void control(HWND main, const std::string &line);
// The library's result as text: null as "(null)", released.
std::string take(char *text);
// A program beside the test program.
std::wstring beside_test(const std::wstring &name);
// A text in the GBK code page (the companion's texts).
std::string gbk(const std::wstring &text);
// The browser windows of a process, in z-order.
std::vector<HWND> browser_windows(DWORD pid);
// Waits for the process to end (generously); whether it ended.
bool process_ends(DWORD pid);
bool process_runs(DWORD pid);

class SurfpodTest : public LeakCheckedTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A browser started through the library, its journal emptied.
  SurfpodInstance *start();
  StandinFolder folder_;
};

}  // namespace tarvo::test
