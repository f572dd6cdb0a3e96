#include "journal.hpp"

#include "file_text.hpp"

#include <windows.h>

namespace htmlengine {
namespace {

std::string g_held;
std::wstring g_file;  // empty while lines are held

void append(const std::wstring &file, const std::string &text) {
  HANDLE h = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
}

}  // namespace

void journal_restart() { g_file.clear(); }

void journal_open(const std::wstring &page) {
  g_file = page + L".log";
  append(g_file, g_held);
  g_held.clear();
}

void journal(const std::string &line) {
  if (g_file.empty())
    g_held += line + "\n";
  else
    append(g_file, line + "\n");
}

std::string utf8(const wchar_t *text, size_t count) {
  return count ? standin::utf8(std::wstring(text, count)) : std::string();
}

std::string escaped(const std::string &text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\0': out += "\\0"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace htmlengine
