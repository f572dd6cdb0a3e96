// Shared pieces of the file, path and INI tests: a leak-checked fixture with
// a temporary folder, raw file access that bypasses the library, and results
// released at the end of a scope.
#pragma once

#include "alloc_counter.hpp"
#include "temp_dir.hpp"
#include "xcore.h"

#include <fstream>
#include <iterator>
#include <string>

namespace tarvo::test {

inline std::string raw_read(const std::wstring &path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline void raw_write(const std::wstring &path, const std::string &bytes) {
  std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc) << bytes;
}

// A library result released when the scope ends.
template <class T>
class Owned {
 public:
  explicit Owned(T *p) : p_(p), size_(xCore.iRetSize) {}
  ~Owned() { xCore_free(p_); }
  Owned(const Owned &) = delete;
  Owned &operator=(const Owned &) = delete;
  T *get() const { return p_; }
  uint32_t size() const { return size_; }  // iRetSize right after the call
  std::basic_string<T> str() const { return p_ ? std::basic_string<T>(p_, size_ / sizeof(T)) : std::basic_string<T>(); }
  bool is_empty_string() const { return static_cast<const void *>(p_) == xCore.EmptyString; }

 private:
  T *p_;
  uint32_t size_;
};

class FileTest : public LeakCheckedTest {
 protected:
  std::wstring file(const std::wstring &name) const { return dir_.file(name); }
  const std::wstring &dir() const { return dir_.path(); }
  TempDir dir_;
};

}  // namespace tarvo::test
