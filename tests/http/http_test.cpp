// HTTP transfers against the loopback server of tests/support: bodies of every shape, hostile inputs,
// downloads with progress, and the registers after success and failure.
#include "alloc_counter.hpp"
#include "http_server.hpp"
#include "temp_dir.hpp"
#include "xcore.h"
#include "xhttp.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using tarvo::test::body_bytes;
using tarvo::test::raw_read;

constexpr char kUserAgent[] =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/106.0.0.0 Safari/537.36";
constexpr char kBadText[] = "http error : Control character in URL, host or referrer!";
constexpr char kTruncated[] = "http error : Transfer ended before Content-Length!";
constexpr char kFileSize[] = "http error : HttpQueryInfo get file size failed!";
constexpr char kLocalFile[] = "file error : Open local file failed!";
constexpr char kOpenUrl[] = "http error : InternetOpenUrl failed!";
constexpr char kEarlierError[] = "an earlier failure";
char g_sentinel[] = "sentinel";

tarvo::test::HttpServer g_server;

// The value of a header of an echoed request; empty when there is none.
std::string header(const std::string &echoed, const std::string &name) {
  size_t at = echoed.find("\r\n" + name + ": ");
  if (at == std::string::npos || at > echoed.find("\r\n\r\n")) return "";
  at += name.size() + 4;
  return echoed.substr(at, echoed.find("\r\n", at) - at);
}

class Http : public tarvo::test::LeakCheckedTest {
 protected:
  static void SetUpTestSuite() { _putenv("http_proxy="), _putenv("HTTP_PROXY="); }  // loopback goes direct
  void SetUp() override {
    LeakCheckedTest::SetUp();
    xCore.sRet = g_sentinel;
    xCore.iRetSize = 12345;
    xCore.LastError = kEarlierError;
  }
  // A successful transfer's body, checked for its two zero bytes and released; the earlier error stays.
  std::string body_of(int32_t result) {
    EXPECT_EQ(result, -1) << xCore.LastError;
    EXPECT_STREQ(xCore.LastError, kEarlierError) << "a success leaves LastError alone";
    if (result != -1 || xCore.sRet == g_sentinel) return "<failed>";
    std::string body(xCore.sRet, xCore.iRetSize);
    EXPECT_EQ(std::string(xCore.sRet + xCore.iRetSize, 2), std::string(2, '\0'));
    xCore_free(xCore.sRet);
    xCore.sRet = g_sentinel;
    return body;
  }
  // A failed transfer: its message, and the registers as they were.
  void expect_failure(int32_t result, const char *message) {
    EXPECT_EQ(result, 0);
    EXPECT_STREQ(xCore.LastError, message);
    EXPECT_TRUE(xCore.sRet == g_sentinel && xCore.iRetSize == 12345u) << "the registers are left alone";
  }
  int32_t download(const std::string &url, const std::string &file, xHttpProgress progress = nullptr) {
    return xHttp_DownLoad(url.c_str(), file.c_str(), progress);
  }
  std::string path(const wchar_t *name) { return tarvo::test::utf8(dir_.file(name)); }

  tarvo::test::TempDir dir_;
};

TEST_F(Http, GetReturnsEveryShapeOfBody) {
  const std::pair<std::string, std::string> cases[] = {
      {"/bytes/0", ""},
      {"/bytes/65536", body_bytes(65536)},
      {"/bytes/65537", body_bytes(65537)},
      {"/bytes/" + std::to_string(64 << 20), body_bytes(64 << 20)},
      {"/nolength/1500000", body_bytes(1500000)},
      {"/no/such/route", "no such route"},  // a 404 page is a body like any other
  };
  for (const auto &[route, body] : cases)
    EXPECT_TRUE(body_of(xHttp_GetEx("127.0.0.1", g_server.port(), route.c_str(), nullptr)) == body) << route;
}

TEST_F(Http, PostSendsItsBodyAndHeadersByteForByte) {
  std::string binary;
  for (int i = 0; i < 300000; ++i) binary += static_cast<char>(1 + i % 255);
  struct Case { const char *verb, *body, *referrer, *length; } cases[] = {
      {"POST", binary.c_str(), "http://ref.example/page", "300000"},
      {"POST", nullptr, nullptr, "0"}, {"GET", nullptr, "r", ""}};  // a null body is an empty one
  for (const Case &c : cases) {
    std::string route = "/echo?q=1&v=" + std::string(c.verb);
    std::string echoed = body_of(std::string(c.verb) == "GET"
                                     ? xHttp_GetEx("127.0.0.1", g_server.port(), route.c_str(), c.referrer)
                                     : xHttp_PostEx("127.0.0.1", g_server.port(), route.c_str(), c.body, c.referrer));
    EXPECT_EQ(echoed.substr(0, echoed.find("\r\n")), std::string(c.verb) + " " + route + " HTTP/1.1");
    EXPECT_EQ(header(echoed, "Referer"), c.referrer ? c.referrer : "") << route;
    EXPECT_EQ(header(echoed, "User-Agent"), kUserAgent);
    EXPECT_EQ(header(echoed, "Content-Length"), c.length) << route;
    EXPECT_TRUE(echoed.substr(echoed.find("\r\n\r\n") + 4) == (c.body ? c.body : "")) << route;
  }
}

TEST_F(Http, FailedTransfersNameTheirStepAndLeaveTheRegisters) {
  struct Case { const char *host; uint16_t port; const char *route, *referrer, *message; } cases[] = {
      {"127.0.0.1", g_server.closed_port(), "/bytes/1", nullptr, "http error : HttpSendRequest failed!"},
      {"", g_server.port(), "/bytes/1", nullptr, "http error : InternetConnect failed!"},
      {nullptr, g_server.port(), "/bytes/1", nullptr, "http error : InternetConnect failed!"},
      {"127.0.0.1", g_server.port(), "/declare/4294967296/10", nullptr, kTruncated},  // neither wrapped nor unchecked
      {"127.0.0.1", g_server.port(), "/echo\r\nX-Injected: 1", nullptr, kBadText},
      {"127.0.0.1", g_server.port(), "/echo", "r\r\nX-Injected: 1", kBadText},
      {"127.0.0.1\r\nX-Injected: 1", g_server.port(), "/echo", nullptr, kBadText},
      {"127.0.0.1", g_server.port(), "/echo\n", nullptr, kBadText},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE("row " + std::to_string(&c - cases));
    expect_failure(xHttp_GetEx(c.host, c.port, c.route, c.referrer), c.message);
    expect_failure(xHttp_PostEx(c.host, c.port, c.route, "body", c.referrer), c.message);
  }
  EXPECT_EQ(xHttp_AnalyseURL(nullptr) | xHttp_AnalyseURL("") | xHttp_AnalyseURL("http://127.0.0.1/"), 0)
      << "URL analysis examines nothing";
}

// A text of 4 GiB and 16 bytes that takes 1 MiB of memory: one section of letters mapped again and again in a
// row, then one holding the last letters and the terminator.
class LongText {
 public:
  static constexpr size_t kPiece = 1 << 20, kPieces = 4096, kTail = 16;
  LongText() {
    HANDLE piece = section(kPiece, kPiece), tail = section(65536, kTail);
    for (int attempt = 0; attempt < 3 && piece && tail && !text_; ++attempt) {
      auto *at = static_cast<char *>(VirtualAlloc(nullptr, kPieces * kPiece + 65536, MEM_RESERVE, PAGE_NOACCESS));
      if (!at) break;
      VirtualFree(at, 0, MEM_RELEASE);  // the room is taken again view by view
      bool all = true;
      for (size_t i = 0; i <= kPieces && all; ++i)
        all = map(i < kPieces ? piece : tail, i < kPieces ? kPiece : 65536, at + i * kPiece);
      if (all) text_ = at;
      else unmap();
    }
    for (HANDLE h : {piece, tail}) if (h) CloseHandle(h);
  }
  ~LongText() { unmap(); }
  const char *get() const { return text_; }

 private:
  static HANDLE section(size_t size, size_t letters) {
    HANDLE h = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, DWORD(size), nullptr);
    if (char *p = h ? static_cast<char *>(MapViewOfFile(h, FILE_MAP_WRITE, 0, 0, size)) : nullptr) {
      memset(p, 'a', letters);
      UnmapViewOfFile(p);
    }
    return h;
  }
  bool map(HANDLE h, size_t size, char *at) {
    void *v = MapViewOfFileEx(h, FILE_MAP_READ, 0, 0, size, at);
    if (v) views_.push_back(v);
    return v == at;
  }
  void unmap() {
    for (void *v : views_) UnmapViewOfFile(v);
    views_.clear();
  }
  std::vector<void *> views_;
  const char *text_ = nullptr;
};

// What a server announces reserves at most a bounded first block (the body grows as bytes arrive); a body
// longer than a request's 32-bit length is refused, never sent cut to its low bits.
TEST_F(Http, HugeAnnouncementsAndBodiesTakeNoMemoryForThemselves) {
  {
    tarvo::test::LargestRealloc watch(GetModuleHandleW(L"tarvo.dll"));
    ASSERT_TRUE(watch.watching());
    expect_failure(xHttp_GetEx("127.0.0.1", g_server.port(), "/declare/4000000000/10", nullptr), kTruncated);
    expect_failure(xHttp_PostEx("127.0.0.1", g_server.port(), "/declare/4294967000/10", "b", nullptr), kTruncated);
    EXPECT_LE(watch.largest(), size_t{16} << 20);
  }
  LongText body;
  ASSERT_NE(body.get(), nullptr) << "no room for the long text's views";
  expect_failure(xHttp_PostEx("127.0.0.1", g_server.port(), "/echo", body.get(), nullptr),
                 "http error : HttpSendRequest failed!");
}

// Progress notes; a total that does not fit 32 bits stops the transfer.
std::vector<std::pair<uint32_t, uint32_t>> g_calls;
int32_t note(uint32_t total, uint32_t received) {
  g_calls.emplace_back(total, received);
  return total == 0xFFFFFFFFu;
}

TEST_F(Http, DownloadsWriteExactlyTheBodyAndProgressRisesToTheTotal) {
  std::string file = path(L"down.bin");
  tarvo::test::raw_write(dir_.file(L"down.bin"), std::string(300000, 'x'));
  for (size_t n : {65537, 1, 65536, 64 << 20}) {
    g_calls.clear();
    ASSERT_EQ(download(g_server.url("/bytes/" + std::to_string(n)), file, note), -1) << xCore.LastError;
    EXPECT_EQ(xCore.iRetSize, n);
    EXPECT_TRUE(raw_read(dir_.file(L"down.bin")) == body_bytes(n)) << n << " bytes; a longer old file is cut";
    ASSERT_FALSE(g_calls.empty()) << n;
    for (size_t i = 1; i < g_calls.size(); ++i) EXPECT_LT(g_calls[i - 1].second, g_calls[i].second) << n;
    EXPECT_EQ(g_calls.back(), std::make_pair(uint32_t(n), uint32_t(n)));
  }
  EXPECT_STREQ(xCore.LastError, kEarlierError);
  // A stop is a success with what was written; a total beyond 32 bits is neither "size 0" nor wrapped.
  g_calls.clear();
  ASSERT_EQ(download(g_server.url("/declare/4294967296/100000"), file, note), -1);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(xCore.iRetSize, g_calls[0].second);
  EXPECT_EQ(raw_read(dir_.file(L"down.bin")).size(), g_calls[0].second);
}

TEST_F(Http, DownloadFailuresCreateNothingAndLeaveTheRegisters) {
  std::string never = path(L"never.bin");
  struct Case { std::string url, file; const char *message; } cases[] = {
      {g_server.url("/nolength/10"), never, kFileSize},
      {g_server.url("/declare/12abc/3"), never, kFileSize},
      {g_server.url("/declare/99999999999999999999/3"), never, kFileSize},
      {g_server.url("/bytes/0"), never, "http error : HttpQuery file size = 0!"},
      {"not a url", never, kOpenUrl},
      {"http://127.0.0.1:" + std::to_string(g_server.closed_port()) + "/x", never, kOpenUrl},
      {g_server.url("/bytes/5\r\nX-Injected: 1"), never, kBadText},
      {g_server.url("/bytes/5"), path(L"missing\\f.bin"), kLocalFile},
      {g_server.url("/declare/4294967296/100000"), path(L"cut.bin"), kTruncated},
      {g_server.url("/bytes/200000"), "Z:\\dev\\full", "file error : Write local file failed!"},
  };
  for (const Case &c : cases) expect_failure(download(c.url, c.file), c.message);
  expect_failure(xHttp_DownLoad(nullptr, never.c_str(), nullptr), kOpenUrl);
  expect_failure(xHttp_DownLoad(g_server.url("/bytes/5").c_str(), nullptr, nullptr), kLocalFile);
  EXPECT_EQ(GetFileAttributesA(never.c_str()), INVALID_FILE_ATTRIBUTES) << "a failure before the body creates nothing";
}

}  // namespace
