#include "temp_dir.hpp"

#include <windows.h>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tarvo::test {

TempDir::TempDir() {
  wchar_t base[MAX_PATH + 1];
  const std::wstring prefix = std::wstring(base, GetTempPathW(MAX_PATH, base)) + L"tarvo_test_" +
                              std::to_wstring(GetCurrentProcessId()) + L"_";
  static unsigned serial = 0;
  do {
    path_ = prefix + std::to_wstring(++serial);
  } while (!CreateDirectoryW(path_.c_str(), nullptr));
  path_ += L"\\";
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string utf8(const std::wstring &w) {
  std::string r(WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), r.data(), int(r.size()), nullptr, nullptr);
  return r;
}

std::string raw_read(const std::wstring &path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void raw_write(const std::wstring &path, const std::string &bytes) {
  std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace tarvo::test
