// HTTP transfers over loopback against hand-written WinINet loops, same
// server, same run: a 64 MiB download into a file, a 64 MiB GET into memory
// and 200 GETs of 1 KiB.
#include "http_server.hpp"
#include "timing.hpp"
#include "xcore.h"
#include "xhttp.h"

#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kAgent[] = "bench";
constexpr DWORD kChunk = 65536;

// The obvious loop: open, read 64 KiB at a time, hand each chunk on.
template <class Take>
void raw_read(HINTERNET request, Take take) {
  static char chunk[kChunk];
  DWORD got = 0;
  while (InternetReadFile(request, chunk, kChunk, &got) && got) take(chunk, got);
}

void raw_download(const std::string &url, const char *file) {
  HINTERNET root = InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  HINTERNET req = InternetOpenUrlA(root, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
  HANDLE out = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  raw_read(req, [&](const char *p, DWORD n) {
    DWORD w;
    WriteFile(out, p, n, &w, nullptr);
  });
  CloseHandle(out);
  InternetCloseHandle(req);
  InternetCloseHandle(root);
}

// A GET into a buffer that doubles.
size_t raw_get(uint16_t port, const char *path) {
  HINTERNET root = InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  HINTERNET con = InternetConnectA(root, "127.0.0.1", port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  HINTERNET req = HttpOpenRequestA(con, "GET", path, "HTTP/1.1", nullptr, nullptr, INTERNET_FLAG_RELOAD, 0);
  HttpSendRequestA(req, nullptr, 0, nullptr, 0);
  size_t size = 0, cap = 65536;
  char *buf = static_cast<char *>(std::malloc(cap));
  raw_read(req, [&](const char *p, DWORD n) {
    while (size + n + 2 > cap) buf = static_cast<char *>(std::realloc(buf, cap *= 2));
    std::memcpy(buf + size, p, n);
    size += n;
  });
  std::free(buf);
  InternetCloseHandle(req);
  InternetCloseHandle(con);
  InternetCloseHandle(root);
  return size;
}

void library_get(uint16_t port, const char *path) {
  if (xHttp_GetEx("127.0.0.1", port, path, nullptr) != -1) std::abort();
  xCore_free(xCore.sRet);
}

}  // namespace

int main() {
  _putenv("http_proxy=");
  SetEnvironmentVariableA("http_proxy", nullptr);
  tarvo::test::HttpServer server;
  uint16_t port = server.port();
  std::string big = "/bytes/" + std::to_string(64 << 20);
  char file[MAX_PATH], base[MAX_PATH];
  GetTempPathA(MAX_PATH, file);
  GetTempPathA(MAX_PATH, base);
  std::strcat(file, "bench_http_lib.bin");
  std::strcat(base, "bench_http_raw.bin");
  tarvo::bench::compare("download 64 MiB into a file", 3, 1,
                        [&] { xHttp_DownLoad(server.url(big).c_str(), file, nullptr); },
                        [&] { raw_download(server.url(big), base); });
  tarvo::bench::compare("GET 64 MiB into memory", 3, 1, [&] { library_get(port, big.c_str()); },
                        [&] { raw_get(port, big.c_str()); });
  tarvo::bench::compare("GET 1 KiB (200 per round)", 3, 200, [&] { library_get(port, "/bytes/1024"); },
                        [&] { raw_get(port, "/bytes/1024"); });
  DeleteFileA(file);
  DeleteFileA(base);
  return 0;
}
