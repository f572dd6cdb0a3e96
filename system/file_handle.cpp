// The open-file handle: opening with charset detection, position, size and
// raw transfers.
#include "file_internal.hpp"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

using namespace tarvo::files;

namespace {

constexpr uint32_t kSampleBytes = 65536;

DWORD read_some(HANDLE h, void *buf, DWORD count) {
  DWORD got = 0;
  if (!ReadFile(h, buf, count, &got, nullptr)) return 0;
  return got;
}

bool starts_with(const uint8_t *head, DWORD got, const Mark &m) {
  return got >= m.length && std::memcmp(head, m.bytes, m.length) == 0;
}

// Marks first; a file shorter than a mark cannot carry it. Without a mark the
// first 64 KiB decide: UTF-7, US-ASCII, UTF-8, else raw bytes.
void detect(HANDLE h, int64_t size, xFileHandle *f) {
  if (size == 0) {
    f->charset = XFILE_CHARSET_RAW;
    return;
  }
  uint8_t head[4] = {};
  DWORD got = read_some(h, head, sizeof head);
  for (const Mark &m : kMarks) {
    if (starts_with(head, got, m)) {
      f->charset = m.charset;
      f->headerLen = m.length;
      return;
    }
  }
  f->charset = XFILE_CHARSET_RAW;
  auto bytes = static_cast<DWORD>(std::min<int64_t>(size, kSampleBytes));
  std::unique_ptr<uint8_t[]> sample(new (std::nothrow) uint8_t[bytes]);
  if (!sample) return;
  LARGE_INTEGER start{};
  SetFilePointerEx(h, start, nullptr, FILE_BEGIN);
  DWORD n = read_some(h, sample.get(), bytes);
  if (xCore_StringIsUtf7(sample.get(), n)) f->charset = kUtf7;
  else if (xCore_StringIsAscii(sample.get(), n)) f->charset = kUsAscii;
  else if (xCore_StringIsUtf8(sample.get(), n)) f->charset = kUtf8;
}

bool writes_mark(int32_t charset) { return charset != kUtf8 && mark_of(charset); }
bool skips_mark(int32_t charset) { return charset != kGb18030 && mark_of(charset); }

// A given charset: a new or empty file opened for writing gets its mark; an
// existing file's matching mark is skipped.
void apply_charset(HANDLE h, int64_t size, bool readonly, xFileHandle *f) {
  const Mark *m = mark_of(f->charset);
  if (!m) return;
  if (size == 0) {
    DWORD put = 0;
    if (!readonly && writes_mark(f->charset) && WriteFile(h, m->bytes, m->length, &put, nullptr) && put == m->length)
      f->headerLen = m->length;
    return;
  }
  uint8_t head[4] = {};
  DWORD got = read_some(h, head, sizeof head);
  if (skips_mark(f->charset) && starts_with(head, got, *m)) f->headerLen = m->length;
}

}  // namespace

extern "C" {

xFileHandle *xFile_OpenW(const wchar_t *path, int32_t readonly, int32_t charset) {
  HANDLE h = open_file(path, readonly != 0);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  auto *f = tarvo::alloc_result<xFileHandle>(1);
  LARGE_INTEGER size{};
  if (!f || !GetFileSizeEx(h, &size)) {
    tarvo::release(f);
    CloseHandle(h);
    return nullptr;
  }
  f->handle = h;
  f->charset = charset;
  f->headerLen = 0;
  if (charset == XFILE_CHARSET_AUTO) detect(h, size.QuadPart, f);
  else apply_charset(h, size.QuadPart, readonly != 0, f);
  LARGE_INTEGER pos{};
  pos.QuadPart = f->headerLen;
  SetFilePointerEx(h, pos, nullptr, FILE_BEGIN);
  return f;
}

xFileHandle *xFile_OpenA(const char *path, int32_t readonly, int32_t charset) {
  return tarvo::via_w<tarvo::kCodePageA, xFile_OpenW>(path, readonly, charset);
}

int32_t xFile_Close(xFileHandle *f) {
  if (!valid(f)) return 0;
  CloseHandle(os(f));
  f->handle = INVALID_HANDLE_VALUE;
  tarvo::release(f);
  return 1;
}

int32_t xFile_Charset(xFileHandle *f) { return valid(f) ? f->charset : static_cast<int32_t>(0xFFFF0000u); }

int32_t xFile_Seek(xFileHandle *f, int64_t offset, int32_t method) {
  if (!valid(f)) return 0;
  LARGE_INTEGER to{};
  to.QuadPart = offset;
  return SetFilePointerEx(os(f), to, nullptr, static_cast<DWORD>(method)) ? 1 : 0;
}

int64_t xFile_CurPos(xFileHandle *f) {
  if (!valid(f)) return 0;
  LARGE_INTEGER zero{}, pos{};
  return SetFilePointerEx(os(f), zero, &pos, FILE_CURRENT) ? pos.QuadPart : 0;
}

int64_t xFile_Size(xFileHandle *f) {
  LARGE_INTEGER size{};
  return valid(f) && GetFileSizeEx(os(f), &size) ? size.QuadPart : 0;
}

int32_t xFile_EOF(xFileHandle *f) {
  if (!valid(f)) return 1;
  return xFile_CurPos(f) >= xFile_Size(f) ? 1 : 0;
}

int32_t xFile_SetEOF(xFileHandle *f) {
  if (!valid(f)) return 0;
  return SetEndOfFile(os(f)) ? 1 : 0;
}

uint32_t xFile_Put(xFileHandle *f, const void *buffer, uint32_t count) {
  DWORD done = 0;
  if (!valid(f) || !buffer || !WriteFile(os(f), buffer, count, &done, nullptr)) done = 0;
  tarvo::set_size(done);
  return done;
}

uint32_t xFile_Get(xFileHandle *f, void *buffer, uint32_t count) {
  DWORD done = 0;
  if (!valid(f) || !buffer || !ReadFile(os(f), buffer, count, &done, nullptr)) done = 0;
  tarvo::set_size(done);
  return done;
}

}  // extern "C"
