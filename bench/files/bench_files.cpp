// Whole-file text reads and writes of 64 MiB against the obvious hand-written
// code (ReadFile/WriteFile and one WideCharToMultiByte), measured in the same
// run. Prints the best of several rounds and the ratio library / baseline.
#include "files_by_hand.hpp"
#include "timing.hpp"
#include "xcore.h"
#include "xfile.h"
#include "xstring.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr size_t kBytes = 64u << 20;
constexpr int kRounds = 7;

// Text of mixed scripts: ASCII words, accented Latin and CJK.
std::wstring make_text() {
  const std::wstring line = L"Invoice 2026-12-06 caf\u00e9 na\u00efve \u4e2d\u6587\u6d4b\u8bd5 total=123.45\r\n";
  std::wstring s;
  s.reserve(kBytes / 2);
  while (s.size() + line.size() <= kBytes / 2) s += line;
  s.resize(kBytes / 2, L'x');
  return s;
}

using tarvo::bench::read_file_by_hand;
using tarvo::bench::write_file_by_hand;

void baseline_write(const wchar_t *p, const std::wstring &text, bool to_utf8) {
  if (!to_utf8) {
    write_file_by_hand(p, "\xFF\xFE", 2, text.data(), text.size() * 2);
    return;
  }
  int units = static_cast<int>(text.size());
  char *out = static_cast<char *>(std::malloc(static_cast<size_t>(units) * 3 + 1));
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), units, out, units * 3, nullptr, nullptr);
  write_file_by_hand(p, nullptr, 0, out, static_cast<size_t>(n));
  std::free(out);
}

}  // namespace

int main() {
  using tarvo::bench::compare;
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring folder = std::wstring(tmp) + L"tarvo_bench_files_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  std::wstring u16 = folder + L"text16.txt", u8 = folder + L"text8.txt", out = folder + L"out.txt";
  std::string u16a, u8a;
  for (wchar_t c : u16) u16a += static_cast<char>(c);
  for (wchar_t c : u8) u8a += static_cast<char>(c);

  std::wstring text = make_text();
  char *utf8 = xCore_W2U(text.c_str(), static_cast<uint32_t>(text.size() * 2));
  size_t utf8_len = xCore.iRetSize;
  write_file_by_hand(u16.c_str(), "\xFF\xFE", 2, text.data(), text.size() * 2);
  write_file_by_hand(u8.c_str(), nullptr, 0, utf8, utf8_len);
  std::printf("64 MiB UTF-16LE text (%zu bytes as UTF-8), best of %d rounds\n", utf8_len, kRounds);

  // Check once that both sides produce the same bytes.
  char *check = xFile_ReadAllU(u16a.c_str(), 1200);
  bool same = xCore.iRetSize == utf8_len && std::memcmp(check, utf8, utf8_len) == 0;
  xCore_free(check);
  if (!same) std::printf("MISMATCH: xFile_ReadAllU differs from the baseline conversion\n");

  auto lib_read = [](const std::string &p, int32_t charset) {
    return [p, charset] { xCore_free(xFile_ReadAllU(p.c_str(), charset)); };
  };
  compare("ReadAllU  UTF-16LE file (1200) -> UTF-8", kRounds, 1, lib_read(u16a, 1200),
          [&] { read_file_by_hand(u16.c_str(), true); });
  compare("ReadAllU  UTF-16LE file (auto) -> UTF-8", kRounds, 1, lib_read(u16a, -2),
          [&] { read_file_by_hand(u16.c_str(), true); });
  compare("ReadAllU  UTF-8 file (65001)", kRounds, 1, lib_read(u8a, 65001),
          [&] { read_file_by_hand(u8.c_str(), false); });
  compare("ReadAllU  UTF-8 file (auto)", kRounds, 1, lib_read(u8a, -2),
          [&] { read_file_by_hand(u8.c_str(), false); });
  compare("WriteAllW UTF-16 text -> UTF-16LE file", kRounds, 1,
          [&] { xFile_WriteAllW(out.c_str(), text.c_str(), static_cast<uint32_t>(text.size() * 2), 1200); },
          [&] { baseline_write(out.c_str(), text, false); });
  compare("WriteAllW UTF-16 text -> UTF-8 file", kRounds, 1,
          [&] { xFile_WriteAllW(out.c_str(), text.c_str(), static_cast<uint32_t>(text.size() * 2), 65001); },
          [&] { baseline_write(out.c_str(), text, true); });

  xCore_free(utf8);
  for (const std::wstring &p : {u16, u8, out}) DeleteFileW(p.c_str());
  RemoveDirectoryW(folder.c_str());
  return same ? 0 : 1;
}
