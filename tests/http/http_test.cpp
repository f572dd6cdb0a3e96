// HTTP transfers against the loopback server of tests/support: bodies of
// every shape, the server's failure routes, hostile inputs, downloads with
// progress, and the registers after success and failure.
#include "alloc_counter.hpp"
#include "http_server.hpp"
#include "temp_dir.hpp"
#include "xcore.h"
#include "xhttp.h"
#include "xtext.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

using tarvo::test::body_bytes;
using tarvo::test::ClosedPort;
using tarvo::test::HttpServer;
using tarvo::test::LeakCheckedTest;
using tarvo::test::TempDir;

constexpr char kUserAgent[] =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/106.0.0.0 "
    "Safari/537.36";
constexpr char kBadText[] = "http error : Control character in URL, host or referrer!";
constexpr char kTruncated[] = "http error : Transfer ended before Content-Length!";
constexpr char kFileSize[] = "http error : HttpQueryInfo get file size failed!";
constexpr char kOpenUrl[] = "http error : InternetOpenUrl failed!";
constexpr char kLocalFile[] = "file error : Open local file failed!";
constexpr uint64_t k64MiB = 64ull << 20;

char g_sentinel[] = "sentinel";
constexpr char kEarlierError[] = "an earlier failure";

std::string read_file(const std::wstring &path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string narrow(const std::wstring &w) { return std::string(w.begin(), w.end()); }

class Http : public LeakCheckedTest {
 protected:
  // WinINet takes a proxy from http_proxy; loopback must go direct.
  static void SetUpTestSuite() {
    for (const char *setting : {"http_proxy=", "HTTP_PROXY=", "no_proxy=127.0.0.1,localhost"}) _putenv(setting);
    SetEnvironmentVariableA("http_proxy", nullptr);
    SetEnvironmentVariableA("HTTP_PROXY", nullptr);
    SetEnvironmentVariableA("no_proxy", "127.0.0.1,localhost");
    server_ = new HttpServer();
  }
  static void TearDownTestSuite() { delete server_; }
  void SetUp() override {
    LeakCheckedTest::SetUp();
    xCore.sRet = g_sentinel;
    xCore.iRetSize = 12345;
    xCore.LastError = kEarlierError;
  }
  static HttpServer &server() { return *server_; }
  static std::string host() { return "127.0.0.1"; }

  // A successful transfer's body, checked for its two zero bytes and
  // released; the earlier error stays.
  std::string body_of(int32_t result) {
    EXPECT_EQ(result, -1) << xCore.LastError;
    EXPECT_STREQ(xCore.LastError, kEarlierError) << "a success leaves LastError alone";
    if (result != -1 || xCore.sRet == g_sentinel) return "<failed>";
    std::string body(xCore.sRet, xCore.iRetSize);
    EXPECT_EQ(xCore.sRet[xCore.iRetSize], 0);
    EXPECT_EQ(xCore.sRet[xCore.iRetSize + 1], 0);
    xCore_free(xCore.sRet);
    xCore.sRet = g_sentinel;
    return body;
  }
  std::string get(const std::string &path, const char *referrer = nullptr) {
    return body_of(xHttp_GetEx(host().c_str(), server().port(), path.c_str(), referrer));
  }
  // A failed transfer: its message, and the registers as they were.
  void expect_failure(int32_t result, const char *message) {
    EXPECT_EQ(result, 0);
    EXPECT_STREQ(xCore.LastError, message);
    EXPECT_EQ(xCore.sRet, g_sentinel);
    EXPECT_EQ(xCore.iRetSize, 12345u);
  }
  int32_t download(const std::string &url, const std::wstring &file, xHttpProgress progress = nullptr) {
    return xHttp_DownLoad(url.c_str(), narrow(file).c_str(), progress);
  }

  TempDir dir_;

 private:
  static HttpServer *server_;
};
HttpServer *Http::server_ = nullptr;

TEST_F(Http, GetReturnsEveryShapeOfBody) {
  struct Case {
    const char *path;
    std::string body;
  } cases[] = {
      {"/empty", ""},
      {"/bytes/1", body_bytes(0, 1)},
      {"/bytes/65535", body_bytes(0, 65535)},
      {"/bytes/65536", body_bytes(0, 65536)},
      {"/bytes/65537", body_bytes(0, 65537)},
      {"/bytes/1500000", body_bytes(0, 1500000)},
      {"/nolength/1500000", body_bytes(0, 1500000)},
      {"/chunked/70001", body_bytes(0, 70001)},
      {"/status/404", "status 404"},
      {"/status/500", "status 500"},
      {"/redirect/3", "arrived"},
      {"/loop", "loop stopped"},
      {"/slow", "slow"},
      {"/hugeheader", "ok"},
  };
  for (const Case &c : cases) EXPECT_EQ(get(c.path), c.body) << c.path;
}

TEST_F(Http, GetOf64MiBArrivesWhole) {
  std::string body = get("/bytes/" + std::to_string(k64MiB));
  ASSERT_EQ(body.size(), k64MiB);
  std::string expected = body_bytes(0, k64MiB);
  EXPECT_EQ(XXH64(body.data(), body.size(), 0), XXH64(expected.data(), expected.size(), 0));
}

TEST_F(Http, PostSendsItsBodyAndHeadersByteForByte) {
  std::string binary;
  for (int i = 0; i < 300000; ++i) binary += static_cast<char>(1 + i % 255);
  struct Case {
    const char *verb;
    std::string body;
    const char *referrer;
  } cases[] = {{"POST", binary, "http://ref.example/page"}, {"POST", "", nullptr}, {"GET", "", "r"}};
  for (const Case &c : cases) {
    std::string path = "/echo?q=1&v=" + std::string(c.verb);
    int32_t r = std::string(c.verb) == "GET"
                    ? xHttp_GetEx(host().c_str(), server().port(), path.c_str(), c.referrer)
                    : xHttp_PostEx(host().c_str(), server().port(), path.c_str(), c.body.c_str(), c.referrer);
    std::string length = std::string(c.verb) == "GET" ? "" : std::to_string(c.body.size());
    EXPECT_EQ(body_of(r), std::string(c.verb) + " " + path + "\n" + (c.referrer ? c.referrer : "") + "\n" +
                              kUserAgent + "\n" + length + "\n\n" + c.body);
  }
  EXPECT_EQ(body_of(xHttp_PostEx(host().c_str(), server().port(), "/echo", nullptr, nullptr)),
            "POST /echo\n\n" + std::string(kUserAgent) + "\n0\n\n")
      << "a null body is an empty one";
}

TEST_F(Http, FailedTransfersNameTheirStepAndLeaveTheRegisters) {
  ClosedPort closed;
  std::string injected = "\r\nX-Injected: 1";
  struct Case {
    std::string host;
    uint16_t port;
    std::string path, referrer;
    const char *message;
  } cases[] = {
      {host(), closed.port(), "/bytes/1", "", "http error : HttpSendRequest failed!"},
      {"", server().port(), "/bytes/1", "", "http error : InternetConnect failed!"},
      {host(), server().port(), "/declare/1000/10", "", kTruncated},
      {host(), server().port(), "/declare/4294967296/10", "", kTruncated},
      {host(), server().port(), "/echo" + injected, "", kBadText},
      {host(), server().port(), "/echo", "r" + injected, kBadText},
      {host() + injected, server().port(), "/echo", "", kBadText},
      {host(), server().port(), "/echo\n", "", kBadText},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.host + ":" + std::to_string(c.port) + c.path);
    const char *referrer = c.referrer.empty() ? nullptr : c.referrer.c_str();
    expect_failure(xHttp_GetEx(c.host.c_str(), c.port, c.path.c_str(), referrer), c.message);
    expect_failure(xHttp_PostEx(c.host.c_str(), c.port, c.path.c_str(), "body", referrer), c.message);
  }
  expect_failure(xHttp_GetEx(nullptr, server().port(), "/", nullptr), "http error : InternetConnect failed!");
  EXPECT_FALSE(server().saw_header("X-Injected")) << "no header can be injected";
}

TEST_F(Http, DownloadsWriteExactlyTheBody) {
  std::wstring file = dir_.file(L"down.bin");
  std::ofstream(file.c_str(), std::ios::binary) << std::string(300000, 'x');
  for (uint64_t n : {1, 65535, 65536, 65537, 1000}) {
    ASSERT_EQ(download(server().url("/bytes/" + std::to_string(n)), file), -1) << xCore.LastError;
    EXPECT_EQ(xCore.iRetSize, n);
    EXPECT_EQ(read_file(file), body_bytes(0, n)) << "a longer older file is cut to the new length";
  }
  EXPECT_STREQ(xCore.LastError, kEarlierError);
}

TEST_F(Http, DownloadOf64MiBMatchesByHash) {
  std::wstring file = dir_.file(L"big.bin");
  ASSERT_EQ(download(server().url("/bytes/" + std::to_string(k64MiB)), file), -1) << xCore.LastError;
  EXPECT_EQ(xCore.iRetSize, k64MiB);
  std::string got = read_file(file), expected = body_bytes(0, k64MiB);
  EXPECT_EQ(XXH64(got.data(), got.size(), 0), XXH64(expected.data(), expected.size(), 0));
}

TEST_F(Http, DownloadFailuresCreateNothingAndLeaveTheRegisters) {
  ClosedPort closed;
  std::wstring file = dir_.file(L"never.bin");
  struct Case {
    std::string url;
    std::wstring file;
    const char *message;
    bool creates;
  } cases[] = {
      {server().url("/nolength/10"), file, kFileSize, false},
      {server().url("/chunked/10"), file, kFileSize, false},
      {server().url("/declare/12abc/3"), file, kFileSize, false},
      {server().url("/declare/99999999999999999999/3"), file, kFileSize, false},
      {server().url("/empty"), file, "http error : HttpQuery file size = 0!", false},
      {"not a url", file, kOpenUrl, false},
      {"http://127.0.0.1:" + std::to_string(closed.port()) + "/x", file, kOpenUrl, false},
      {server().url("/bytes/5\r\nX-Injected: 1"), file, kBadText, false},
      {server().url("/bytes/5"), dir_.file(L"missing\\f.bin"), kLocalFile, false},
      {server().url("/declare/100000/10"), file, kTruncated, true},
      {server().url("/bytes/200000"), L"Z:\\dev\\full", "file error : Write local file failed!", true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.url);
    expect_failure(download(c.url, c.file), c.message);
    if (!c.creates) {
      EXPECT_FALSE(exists(c.file));
    }
  }
  EXPECT_FALSE(exists(dir_.file(L"missing"))) << "no folder is made";
  expect_failure(xHttp_DownLoad(nullptr, narrow(file).c_str(), nullptr), kOpenUrl);
  expect_failure(xHttp_DownLoad(server().url("/bytes/5").c_str(), nullptr, nullptr), kLocalFile);
  EXPECT_FALSE(server().saw_header("X-Injected"));
}

struct Progress {
  static inline std::vector<std::pair<uint32_t, uint32_t>> calls;
  static inline size_t stop_after = SIZE_MAX;
  static int32_t note(uint32_t total, uint32_t received) {
    calls.emplace_back(total, received);
    return calls.size() >= stop_after ? 1 : 0;
  }
  static void reset(size_t stop) {
    calls.clear();
    stop_after = stop;
  }
};

TEST_F(Http, ProgressRisesToTheTotalAndCanStop) {
  std::wstring file = dir_.file(L"p.bin");
  Progress::reset(SIZE_MAX);
  ASSERT_EQ(download(server().url("/bytes/300000"), file, Progress::note), -1);
  ASSERT_FALSE(Progress::calls.empty());
  for (size_t i = 0; i < Progress::calls.size(); ++i) {
    EXPECT_EQ(Progress::calls[i].first, 300000u);
    if (i) {
      EXPECT_GT(Progress::calls[i].second, Progress::calls[i - 1].second);
    }
  }
  EXPECT_EQ(Progress::calls.back().second, 300000u);

  // A stop is a success with what was written; a total beyond 32 bits is
  // neither "size 0" nor wrapped.
  for (const char *path : {"/bytes/300000", "/declare/4294967296/100000"}) {
    Progress::reset(1);
    ASSERT_EQ(download(server().url(path), file, Progress::note), -1) << path;
    ASSERT_EQ(Progress::calls.size(), 1u);
    EXPECT_EQ(xCore.iRetSize, Progress::calls[0].second);
    EXPECT_EQ(read_file(file).size(), Progress::calls[0].second);
  }
  EXPECT_EQ(Progress::calls[0].first, 0xFFFFFFFFu);
  xCore.iRetSize = 12345;
  expect_failure(download(server().url("/declare/4294967296/100000"), file), kTruncated);
}

TEST_F(Http, AnalyseUrlExaminesNothing) {
  for (const char *url : {static_cast<const char *>(nullptr), "", "http://127.0.0.1/"}) EXPECT_EQ(xHttp_AnalyseURL(url), 0);
}

}  // namespace
