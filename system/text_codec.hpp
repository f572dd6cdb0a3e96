// Conversion of file text between the handle's charset and the three string
// forms, shared by the handle reads and writes and the whole-file calls.
#pragma once

#include "file_internal.hpp"

#include <cstddef>

namespace tarvo::files {

enum class Form { W, A, U };

// Bytes ready for one platform write: either the caller's text itself or a
// temporary owned here.
class Encoded {
 public:
  Encoded() = default;
  ~Encoded() { tarvo::release(owned_); }
  Encoded(const Encoded &) = delete;
  Encoded &operator=(const Encoded &) = delete;
  void borrow(const void *p, size_t n) { data_ = p, size_ = n; }
  void own(void *p, size_t n) {
    tarvo::release(owned_);
    owned_ = p, data_ = p, size_ = n;
  }
  const void *data() const { return data_; }
  size_t size() const { return size_; }

 private:
  const void *data_ = nullptr;
  size_t size_ = 0;
  void *owned_ = nullptr;
};

// The bytes of a text of the given form (len in bytes, 0 = measure) as the
// charset stores them. False for a null or empty text.
bool encode(Form form, const void *text, size_t len, int32_t charset, Encoded &out);

// Turns bytes read from a file (allocated through the record with four zero
// bytes after the n read) into text of the form, in place or in a new buffer
// (the old one is then released); the size is in bytes.
Sized<void> decode(Form form, void *bytes, size_t n, int32_t charset);

// UTF-16 to a multibyte code page in one platform call where the result size
// can be bounded beforehand (UTF-8); a record allocation.
Sized<char> narrow(const wchar_t *w, size_t units, UINT codepage);

// A text of `used` bytes in a record allocation of cap + 1: terminated, and
// a large unused tail given back.
Sized<char> fitted(char *r, size_t cap, size_t used);

// xFile_ReadAllU with its size handed back rather than published.
Sized<char> read_all_utf8(const char *path, int32_t charset);

}  // namespace tarvo::files
