// HTTP transfers over WinINet: a download into a file and a GET or POST into
// the text register.
//
// Every transfer owns its handles and buffers for the length of the call and
// writes the registers only at the end: the body and its length on success,
// the failing step's message in LastError on failure.
#include "file_internal.hpp"
#include "runtime.hpp"
#include "xhttp.h"
#include "xmm.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr char kUserAgent[] =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/106.0.0.0 "
    "Safari/537.36";
constexpr DWORD kChunk = 65536;
// Without a Content-Length the body buffer starts here and doubles.
constexpr uint32_t kInitialBody = 524288;
// The most an announced Content-Length reserves before any byte arrived: any
// server can announce gigabytes; a larger body grows the buffer as it comes.
constexpr uint32_t kLargestFirstBody = 16 * 1024 * 1024;

namespace msg {
constexpr char kOpen[] = "http error : InternetOpen failed!";
constexpr char kOpenUrl[] = "http error : InternetOpenUrl failed!";
constexpr char kConnect[] = "http error : InternetConnect failed!";
constexpr char kOpenRequest[] = "http error : HttpOpenRequest failed!";
constexpr char kSendRequest[] = "http error : HttpSendRequest failed!";
constexpr char kFileSize[] = "http error : HttpQueryInfo get file size failed!";
constexpr char kFileSizeZero[] = "http error : HttpQuery file size = 0!";
constexpr char kLocalFile[] = "file error : Open local file failed!";
constexpr char kBodyBuffer[] = "memory error : Create memory buffer magage failed!";
// Our own, for what used to pass as success.
constexpr char kBadText[] = "http error : Control character in URL, host or referrer!";
constexpr char kRead[] = "http error : InternetReadFile failed!";
constexpr char kTruncated[] = "http error : Transfer ended before Content-Length!";
constexpr char kWrite[] = "file error : Write local file failed!";
constexpr char kAppend[] = "memory error : Append memory buffer failed!";
}  // namespace msg

int32_t fail(const char *message) {
  xCore.LastError = message;
  return 0;
}

using Internet = tarvo::files::PlatformHandle<InternetCloseHandle>;
using LocalFile = tarvo::files::ScopedHandle;

struct BufferCloser {
  void operator()(MBM *b) const { MBM_Destroy(b); }
};
using Body = std::unique_ptr<MBM, BufferCloser>;

using Chunk = std::unique_ptr<char[]>;

Chunk new_chunk() { return Chunk(new (std::nothrow) char[kChunk]); }

// A text that would let a caller add lines to the request (CR, LF or any
// other control character) is refused; null is left to the step using it.
bool clean(const char *s) {
  if (!s) return true;
  for (; *s; ++s)
    if (static_cast<unsigned char>(*s) < 0x20 || *s == 0x7F) return false;
  return true;
}

Internet open_root() {
  return Internet(InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
}

// The announced Content-Length as a 64-bit number; false when there is none
// or it is not a plain decimal number that fits.
bool content_length(HINTERNET request, uint64_t &length) {
  char text[32] = {};
  DWORD size = sizeof text - 1;
  if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr) || size == 0) return false;
  uint64_t n = 0;
  for (DWORD i = 0; i < size; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    unsigned digit = static_cast<unsigned>(text[i] - '0');
    if (n > (UINT64_MAX - digit) / 10) return false;
    n = n * 10 + digit;
  }
  length = n;
  return true;
}

uint32_t saturated(uint64_t n) { return static_cast<uint32_t>(std::min<uint64_t>(n, UINT32_MAX)); }

// Reads the whole response, handing every chunk to `take` (false stops with
// that failure). `stop` asks, after a chunk, whether the caller wants no more.
// Null when every byte announced arrived, else the failure's message.
template <class Take, class Stop>
const char *read_all(HINTERNET request, const Chunk &chunk, const uint64_t *announced, uint64_t &received, Take take,
                     Stop stop) {
  for (;;) {
    DWORD got = 0;
    if (!InternetReadFile(request, chunk.get(), kChunk, &got)) return msg::kRead;
    if (got == 0) break;
    if (const char *failure = take(chunk.get(), got)) return failure;
    received += got;
    if (stop()) return nullptr;
  }
  return announced && received < *announced ? msg::kTruncated : nullptr;
}

// The body buffer: the announced length (+2 for the terminator) at once when
// there is one, up to a bound, else room that doubles, so large bodies are
// not copied over and over.
Body new_body(const uint64_t *announced) {
  if (announced && *announced + 2 <= kLargestFirstBody) {
    if (MBM *b = MBM_Create(static_cast<uint32_t>(*announced + 2), kInitialBody)) return Body(b);
  }
  const uint32_t first = announced ? kLargestFirstBody : kInitialBody;
  return Body(MBM_Create(first, kInitialBody));
}

bool append(MBM *b, const char *data, DWORD n) {
  uint64_t need = static_cast<uint64_t>(b->length) + n + 2;
  if (need > UINT32_MAX) return false;
  if (need > b->capacity) {
    uint64_t room = std::min<uint64_t>(std::max<uint64_t>(need, uint64_t{b->capacity} * 2), UINT32_MAX);
    if (!MBM_Malloc(b, static_cast<uint32_t>(room))) return false;
  }
  return MBM_Append(b, data, n, 0) != 0;
}

int32_t request(const char *verb, const char *host, uint16_t port, const char *path, const char *body,
                const char *referrer) {
  if (!clean(host) || !clean(path) || !clean(referrer)) return fail(msg::kBadText);
  Internet root = open_root();
  if (!root.ok()) return fail(msg::kOpen);
  if (!host || !*host) return fail(msg::kConnect);
  Internet connection(
      InternetConnectA(root.get(), host, port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection.ok()) return fail(msg::kConnect);
  Internet req(HttpOpenRequestA(connection.get(), verb, path, "HTTP/1.1", referrer, nullptr, INTERNET_FLAG_RELOAD, 0));
  if (!req.ok()) return fail(msg::kOpenRequest);
  // A body the request's 32-bit length cannot carry is not sent cut short.
  const size_t body_length = body ? std::strlen(body) : 0;
  if (body_length > MAXDWORD) return fail(msg::kSendRequest);
  const DWORD body_size = static_cast<DWORD>(body_length);
  if (!HttpSendRequestA(req.get(), nullptr, 0, const_cast<char *>(body_size ? body : nullptr), body_size))
    return fail(msg::kSendRequest);
  Chunk chunk = new_chunk();
  if (!chunk) return fail(msg::kLocalFile);
  uint64_t length = 0;
  const uint64_t *announced = content_length(req.get(), length) ? &length : nullptr;
  Body buffer = new_body(announced);
  if (!buffer) return fail(msg::kBodyBuffer);
  uint64_t received = 0;
  auto take = [&](const char *data, DWORD n) { return append(buffer.get(), data, n) ? nullptr : msg::kAppend; };
  if (const char *failure = read_all(req.get(), chunk, announced, received, take, [] { return false; }))
    return fail(failure);
  // The two zero bytes after the body let it be read as a text of either width.
  MBM *b = buffer.get();
  if (!MBM_Append(b, nullptr, 0, 2) || !MBM_Malloc(b, b->length + 2)) return fail(msg::kAppend);
  xCore.sRet = static_cast<char *>(b->data);
  tarvo::set_size(b->length);
  b->data = nullptr;
  return TARVO_TRUE;
}

}  // namespace

extern "C" {

int32_t xHttp_DownLoad(const char *url, const char *file, xHttpProgress progress) {
  if (!clean(url)) return fail(msg::kBadText);
  Internet root = open_root();
  if (!root.ok()) return fail(msg::kOpen);
  Internet req(url ? InternetOpenUrlA(root.get(), url, nullptr, 0, INTERNET_FLAG_RELOAD, 0) : nullptr);
  if (!req.ok()) return fail(msg::kOpenUrl);
  uint64_t total = 0;
  if (!content_length(req.get(), total)) return fail(msg::kFileSize);
  if (total == 0) return fail(msg::kFileSizeZero);
  // The path is the caller's ANSI text as it is; the file is created or
  // opened, shared for reading, and cut to what arrived at the end.
  LocalFile out(file ? CreateFileA(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr)
                     : INVALID_HANDLE_VALUE);
  if (!out.ok()) return fail(msg::kLocalFile);
  Chunk chunk = new_chunk();
  if (!chunk) return fail(msg::kLocalFile);
  uint64_t received = 0;
  bool stopped = false;
  auto take = [&](const char *data, DWORD n) -> const char * {
    DWORD written = 0;
    return WriteFile(out.get(), data, n, &written, nullptr) && written == n ? nullptr : msg::kWrite;
  };
  auto stop = [&] { return stopped = progress && progress(saturated(total), saturated(received)) != 0; };
  const char *failure = read_all(req.get(), chunk, &total, received, take, stop);
  if (stopped) failure = nullptr;
  SetEndOfFile(out.get());
  if (failure) return fail(failure);
  tarvo::set_size(saturated(received));
  return TARVO_TRUE;
}

int32_t xHttp_GetEx(const char *host, uint16_t port, const char *path, const char *referrer) {
  return request("GET", host, port, path, nullptr, referrer);
}

int32_t xHttp_PostEx(const char *host, uint16_t port, const char *path, const char *body, const char *referrer) {
  return request("POST", host, port, path, body ? body : "", referrer);
}

int32_t xHttp_AnalyseURL(const char *) { return 0; }

}  // extern "C"
