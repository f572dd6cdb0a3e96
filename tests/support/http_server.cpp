#include "http_server.hpp"

#include <winsock2.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace tarvo::test {
namespace {

struct Winsock {
  WSADATA data;
  Winsock() { WSAStartup(MAKEWORD(2, 2), &data); }
  ~Winsock() { WSACleanup(); }
};

SOCKET loopback_socket(bool listening, uint16_t &port) {
  static Winsock winsock;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof a;
  if (bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr *>(&a), &len) != 0 || (listening && listen(s, SOMAXCONN) != 0))
    std::abort();
  port = ntohs(a.sin_port);
  return s;
}

std::string head(const std::string &status, const std::string &length) {
  return "HTTP/1.1 " + status + "\r\nConnection: close\r\n" + (length.empty() ? "" : "Content-Length: " + length + "\r\n") +
         "\r\n";
}
std::string with_length(const std::string &status, const std::string &body) {
  return head(status, std::to_string(body.size())) + body;
}
size_t number(const std::string &text) { return std::strtoull(text.c_str(), nullptr, 10); }

// Each route answers from the text after its prefix and the whole request.
using Route = std::string (*)(const std::string &arg, const std::string &request);
const std::pair<std::string, Route> kRoutes[] = {
    {"/bytes/", [](const std::string &n, const std::string &) { return with_length("200 OK", body_bytes(number(n))); }},
    {"/nolength/", [](const std::string &n, const std::string &) { return head("200 OK", "") + body_bytes(number(n)); }},
    {"/declare/", [](const std::string &arg, const std::string &) {
       size_t slash = arg.find('/');
       return head("200 OK", arg.substr(0, slash)) + body_bytes(number(arg.substr(slash + 1)));
     }},
    {"/echo", [](const std::string &, const std::string &request) { return with_length("200 OK", request); }},
};

// The request's head and body, or what arrived before the client gave up.
std::string read_request(SOCKET s) {
  std::string data;
  char buf[65536];
  size_t end, want = 0;
  for (;;) {
    if (want == 0 && (end = data.find("\r\n\r\n")) != std::string::npos) {
      std::string lower = data.substr(0, end);
      std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
      size_t at = lower.find("\r\ncontent-length:");
      want = end + 4 + (at == std::string::npos ? 0 : number(lower.substr(at + 17)));
    }
    if (want && data.size() >= want) return data;
    int got = recv(s, buf, sizeof buf, 0);
    if (got <= 0) return data;
    data.append(buf, static_cast<size_t>(got));
  }
}

}  // namespace

std::string body_bytes(size_t n) {
  std::string b(n, '\0');
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<char>((i * 131) ^ (i >> 9) ^ (i >> 17));
  return b;
}

HttpServer::HttpServer()
    : listener_(loopback_socket(true, port_)), closed_(loopback_socket(false, closed_port_)), acceptor_([this] {
        for (SOCKET s; (s = accept(listener_, nullptr, nullptr)) != INVALID_SOCKET;) serve(s);
      }) {}

HttpServer::~HttpServer() {
  closesocket(listener_);
  acceptor_.join();
  closesocket(closed_);
}

std::string HttpServer::url(const std::string &path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void HttpServer::serve(uintptr_t socket) {
  std::string request = read_request(socket);
  std::string target = request.substr(0, request.find("\r\n"));
  target = target.substr(target.find(' ') + 1, target.rfind(' ') - target.find(' ') - 1);
  std::string response = with_length("404 Not Found", "no such route");
  for (const auto &[prefix, route] : kRoutes)
    if (target.compare(0, prefix.size(), prefix) == 0) response = route(target.substr(prefix.size()), request);
  for (size_t at = 0; at < response.size();) {
    int sent = send(socket, response.data() + at, static_cast<int>(std::min<size_t>(response.size() - at, 1 << 20)), 0);
    if (sent <= 0) break;
    at += static_cast<size_t>(sent);
  }
  shutdown(socket, SD_SEND);
  closesocket(socket);
}

}  // namespace tarvo::test
