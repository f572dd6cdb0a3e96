#include "standin.hpp"

#include <fstream>
#include <sstream>

namespace tarvo::test {
namespace {

std::string ansi(const std::wstring &w) {
  std::string r(WideCharToMultiByte(CP_ACP, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), int(w.size()), r.data(), int(r.size()), nullptr, nullptr);
  return r;
}

}  // namespace

std::wstring beside_test(const std::wstring &name) {
  wchar_t path[MAX_PATH];
  std::wstring p(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return p.substr(0, p.find_last_of(L'\\') + 1) + name;
}

StandinFolder::StandinFolder(const std::string &startup) {
  std::wstring folder = temp_.path() + L"Surf pod\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  CopyFileW(beside_test(L"surfpod\\Surfpod.exe").c_str(), (folder + L"Surfpod.exe").c_str(), FALSE);
  dir_ = ansi(folder);
  std::ofstream(file("standin.txt"), std::ios::binary) << startup;  // its presence keeps the journal
}

StandinFolder::~StandinFolder() {
  take_journal();
  for (DWORD pid : pids_) {
    if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
      TerminateProcess(p, 1);
      WaitForSingleObject(p, 10000);
      CloseHandle(p);
    }
  }
}

std::vector<std::string> StandinFolder::take_journal() {
  std::string path = file("journal.txt");
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("start ", 0) == 0) pids_.insert(std::stoul(line.substr(6)));
    lines.push_back(line);
  }
  in.close();
  DeleteFileA(path.c_str());
  return lines;
}

std::vector<std::string> StandinFolder::take_commands() {
  std::vector<std::string> commands;
  for (std::string &line : take_journal())
    if (line.rfind("start ", 0) != 0 && line.rfind("0x1400 ", 0) != 0) commands.push_back(line);
  return commands;
}

std::set<DWORD> StandinFolder::started() {
  for (std::string &line : take_journal()) (void)line;
  return pids_;
}

void control(HWND main, const std::string &line) {
  COPYDATASTRUCT data{0x5350, static_cast<DWORD>(line.size()), const_cast<char *>(line.data())};
  SendMessageA(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}
void control(SurfpodInstance *h, const std::string &line) { control(static_cast<HWND>(h->hWndMain), line); }

std::string take(char *text) {
  std::string r = text ? std::string(text) : "(null)";
  xCore_free(text);
  return r;
}

std::string gbk(const std::wstring &w) {
  std::string r(WideCharToMultiByte(936, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(936, 0, w.data(), int(w.size()), r.data(), int(r.size()), nullptr, nullptr);
  return r;
}

std::vector<HWND> browser_windows(DWORD pid) {
  std::vector<HWND> found;
  for (HWND w = FindWindowExA(nullptr, nullptr, "ThunderRT6FormDC", nullptr); w;
       w = FindWindowExA(nullptr, w, "ThunderRT6FormDC", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid) found.push_back(w);
  }
  return found;
}

bool process_ends(DWORD pid) {
  HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!p) return true;
  bool ended = WaitForSingleObject(p, 10000) == WAIT_OBJECT_0;
  CloseHandle(p);
  return ended;
}

bool process_runs(DWORD pid) {
  HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!p) return false;
  bool runs = WaitForSingleObject(p, 0) == WAIT_TIMEOUT;
  CloseHandle(p);
  return runs;
}

void SurfpodTest::SetUp() {
  LeakCheckedTest::SetUp();
  ASSERT_EQ(Surfpod_Setup(folder_.dir().c_str()), 1);
}

void SurfpodTest::TearDown() {
  Surfpod_CloseAll();
  LeakCheckedTest::TearDown();
}

SurfpodInstance *SurfpodTest::start() {
  SurfpodInstance *h = Surfpod_Create();
  folder_.take_journal();
  return h;
}

}  // namespace tarvo::test
