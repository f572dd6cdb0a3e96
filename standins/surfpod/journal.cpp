#include "journal.hpp"

#include <windows.h>

namespace surfpod_standin {
namespace {

std::string g_path;
bool g_on = true;
std::string g_last;

}  // namespace

void journal_open(const std::string &folder) { g_path = folder + "journal.txt"; }
void journal_switch(bool on) { g_on = on; }

// A read asked again at once (a text that grew) is one read.
void journal(const std::string &line) {
  if (!g_on || g_path.empty()) return;
  if (line == g_last && line.rfind("read ", 0) == 0) return;
  g_last = line;
  // Opened per line, shared, so the test may read or empty the file at any time.
  HANDLE f = CreateFileA(g_path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
}

std::string escaped(const std::string &text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\\') out += "\\\\";
    else out += c;
  }
  return out;
}

}  // namespace surfpod_standin
