// Text reads and writes on an open handle and on whole files.
#include "text_codec.hpp"
#include "transcode.hpp"

#include <climits>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

using namespace tarvo::files;
using tarvo::WideArg;

namespace {

using tarvo::Sized;

Sized<void> failed_text() { return {tarvo::empty_a(), 0}; }

bool is_empty_text(Form form, const void *text, uint32_t len) {
  if (!text) return true;
  if (len) return false;
  return form == Form::W ? *static_cast<const wchar_t *>(text) == 0 : *static_cast<const char *>(text) == 0;
}

// `complete` tells whether every converted byte reached the file.
uint32_t write_text(xFileHandle *f, Form form, const void *text, uint32_t len, bool *complete = nullptr) {
  if (!valid(f)) return 0;
  Encoded bytes;
  if (!encode(form, text, len, f->charset, bytes) || bytes.size() > MAXDWORD) return 0;
  DWORD done = 0;
  if (!WriteFile(os(f), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr)) return 0;
  if (complete) *complete = done == bytes.size();
  return done;
}

// A large read into pages never touched is several times slower where the
// system faults them in one at a time inside the read (Wine does); touched
// first, one byte a page, they cost only the faults they would cost anyway.
void touch_pages(char *p, size_t n) {
  for (size_t i = 0; i < n; i += 4096) static_cast<volatile char *>(p)[i] = 0;
}

// A large UTF-16 file read as UTF-8 goes through one small buffer, piece by
// piece, instead of through fresh memory as large as the file (see above),
// and each piece is converted while it is still in the cache. A high
// surrogate at the end of a piece waits for the next one: it may be half of
// a pair. The result is the one conversion of the whole text would give.
constexpr size_t kPieceBytes = 1u << 20;

bool read_in_pieces(const xFileHandle *f, Form form, uint64_t count) {
  return form == Form::U && f->charset == kUtf16Le && count >= 2 * kPieceBytes && count / 2 <= INT_MAX / 3;
}

Sized<void> read_utf16_as_utf8(xFileHandle *f, uint64_t count) {
  const size_t cap = static_cast<size_t>(count / 2) * 3;  // an odd last byte is no unit
  std::unique_ptr<char[]> piece(new (std::nothrow) char[kPieceBytes + 4]);
  char *r = piece ? tarvo::alloc_result<char>(cap + 1) : nullptr;
  if (!r) return failed_text();
  touch_pages(piece.get(), kPieceBytes);
  size_t kept = 0, o = 0;  // bytes carried over to the next piece; bytes written
  for (uint64_t left = count; left > 0;) {
    const DWORD want = static_cast<DWORD>(left < kPieceBytes ? left : kPieceBytes);
    DWORD got = 0;
    if (!ReadFile(os(f), piece.get() + kept, want, &got, nullptr)) {
      tarvo::release(r);
      return failed_text();
    }
    left = got < want ? 0 : left - got;
    const size_t bytes = kept + got;
    size_t units = bytes / 2;
    uint16_t last = 0;
    if (units) std::memcpy(&last, piece.get() + (units - 1) * 2, 2);
    if (left && units && last >= 0xD800 && last <= 0xDBFF) --units;
    if (units) {
      const int k = tarvo::wide_to_multibyte(CP_UTF8, 0, reinterpret_cast<const wchar_t *>(piece.get()),
                                             static_cast<int>(units), r + o, static_cast<int>(cap - o), nullptr, nullptr);
      o += k > 0 ? static_cast<size_t>(k) : 0;
    }
    kept = bytes - units * 2;
    std::memmove(piece.get(), piece.get() + units * 2, kept);
  }
  Sized<char> text = fitted(r, cap, o);
  return {text.p, text.size};
}

// The buffer has room for four zero bytes after what is read, so every form
// is terminated whatever the charset's unit size.
Sized<void> read_text(xFileHandle *f, Form form, uint64_t count) {
  if (!valid(f) || count > UINT32_MAX || count > SIZE_MAX - 4) return failed_text();
  if (read_in_pieces(f, form, count)) return read_utf16_as_utf8(f, count);
  char *bytes = tarvo::alloc_result<char>(static_cast<size_t>(count) + 4);
  if (!bytes) return failed_text();
  touch_pages(bytes, static_cast<size_t>(count));
  DWORD got = 0;
  if (!ReadFile(os(f), bytes, static_cast<DWORD>(count), &got, nullptr)) {
    tarvo::release(bytes);
    return failed_text();
  }
  std::memset(bytes + got, 0, 4);
  return decode(form, bytes, got, f->charset);
}

// Everything after the mark; a file too large for one 32-bit read fails
// rather than coming back cut short.
Sized<void> read_all(const wchar_t *path, Form form, int32_t charset) {
  ScopedFile f(xFile_OpenW(path, 1, charset));
  if (!f) return failed_text();
  int64_t remaining = xFile_Size(f.get()) - f.get()->headerLen;
  if (remaining <= 0) return failed_text();
  return read_text(f.get(), form, static_cast<uint64_t>(remaining));
}

// WriteAll cuts the file after the text (after the mark for an empty text),
// only once all of it is written; a text that cannot be converted leaves the
// file as it was.
uint32_t write_all(const wchar_t *path, Form form, const void *text, uint32_t len, int32_t charset, bool append) {
  if (!text) return 0;
  ScopedFile f(xFile_OpenW(path, 0, charset));
  if (!f) return 0;
  if (append) return xFile_Seek(f.get(), 0, FILE_END) ? write_text(f.get(), form, text, len) : 0;
  if (is_empty_text(form, text, len)) {
    xFile_SetEOF(f.get());
    return 0;
  }
  bool complete = false;
  uint32_t n = write_text(f.get(), form, text, len, &complete);
  if (complete) xFile_SetEOF(f.get());
  return n;
}

template <class T>
T *published(Sized<void> r) {
  return static_cast<T *>(tarvo::publish(r));
}

template <uint32_t CP, Form F>
Sized<char> read_all_narrow(const char *path, int32_t charset) {
  Sized<void> r = read_all(WideArg<CP>(path), F, charset);
  return {static_cast<char *>(r.p), r.size};
}

template <uint32_t CP, Form F, bool Append>
uint32_t write_all_narrow(const char *path, const char *text, uint32_t len, int32_t charset) {
  return write_all(WideArg<CP>(path), F, text, len, charset, Append);
}

constexpr uint32_t A = tarvo::kCodePageA;
constexpr uint32_t U = tarvo::kCodePageU;

}  // namespace

Sized<char> tarvo::files::read_all_utf8(const char *path, int32_t charset) {
  return read_all_narrow<U, Form::U>(path, charset);
}

extern "C" {

uint32_t xFile_WriteW(xFileHandle *f, const wchar_t *text, uint32_t len) { return write_text(f, Form::W, text, len); }
uint32_t xFile_WriteA(xFileHandle *f, const char *text, uint32_t len) { return write_text(f, Form::A, text, len); }
uint32_t xFile_WriteU(xFileHandle *f, const char *text, uint32_t len) { return write_text(f, Form::U, text, len); }

wchar_t *xFile_ReadW(xFileHandle *f, uint32_t count) { return published<wchar_t>(read_text(f, Form::W, count)); }
char *xFile_ReadA(xFileHandle *f, uint32_t count) { return published<char>(read_text(f, Form::A, count)); }
char *xFile_ReadU(xFileHandle *f, uint32_t count) { return published<char>(read_text(f, Form::U, count)); }

wchar_t *xFile_ReadAllW(const wchar_t *path, int32_t charset) {
  return published<wchar_t>(read_all(path, Form::W, charset));
}
char *xFile_ReadAllA(const char *path, int32_t charset) {
  return tarvo::publish(read_all_narrow<A, Form::A>(path, charset));
}
char *xFile_ReadAllU(const char *path, int32_t charset) { return tarvo::publish(read_all_utf8(path, charset)); }

uint32_t xFile_WriteAllW(const wchar_t *path, const wchar_t *text, uint32_t len, int32_t charset) {
  return write_all(path, Form::W, text, len, charset, false);
}
uint32_t xFile_WriteAllA(const char *path, const char *text, uint32_t len, int32_t charset) {
  return write_all_narrow<A, Form::A, false>(path, text, len, charset);
}
uint32_t xFile_WriteAllU(const char *path, const char *text, uint32_t len, int32_t charset) {
  return write_all_narrow<U, Form::U, false>(path, text, len, charset);
}

uint32_t xFile_AppendW(const wchar_t *path, const wchar_t *text, uint32_t len, int32_t charset) {
  return write_all(path, Form::W, text, len, charset, true);
}
uint32_t xFile_AppendA(const char *path, const char *text, uint32_t len, int32_t charset) {
  return write_all_narrow<A, Form::A, true>(path, text, len, charset);
}
uint32_t xFile_AppendU(const char *path, const char *text, uint32_t len, int32_t charset) {
  return write_all_narrow<U, Form::U, true>(path, text, len, charset);
}

}  // extern "C"
