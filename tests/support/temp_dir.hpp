// A fresh folder under the system's temporary folder, removed with its contents when the object goes.
#pragma once
#include <string>

namespace tarvo::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  const std::wstring &path() const { return path_; }  // ends in a backslash
  std::wstring file(const std::wstring &name) const { return path_ + name; }

 private:
  std::wstring path_;
};

std::string utf8(const std::wstring &w);  // for assertion messages and comparisons
// A whole file's bytes, read and written without the library.
std::string raw_read(const std::wstring &path);
void raw_write(const std::wstring &path, const std::string &bytes);

}  // namespace tarvo::test
