#include "temp_dir.hpp"

#include <windows.h>

#include <filesystem>

namespace tarvo::test {

TempDir::TempDir() {
  wchar_t base[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH, base);
  static unsigned serial = 0;
  for (;;) {
    std::wstring candidate = std::wstring(base, n) + L"tarvo_test_" + std::to_wstring(GetCurrentProcessId()) +
                             L"_" + std::to_wstring(++serial);
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate + L"\\";
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::path(path_), ec);
}

std::string utf8(const std::wstring &w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string r(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), r.data(), n, nullptr, nullptr);
  return r;
}

}  // namespace tarvo::test
