#include "http_server.hpp"

#include <winsock2.h>

#include <cstdlib>
#include <string_view>

namespace tarvo::test {
namespace {

SOCKET loopback_socket(bool listening, uint16_t &port) {
  static WSADATA winsock;
  [[maybe_unused]] static const int started = WSAStartup(MAKEWORD(2, 2), &winsock);
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

// A response head announcing `length` as Content-Length, or no length when it is empty.
std::string head(const std::string &status, const std::string &length) {
  std::string announced = length.empty() ? "" : "Content-Length: " + length + "\r\n";
  return "HTTP/1.1 " + status + "\r\nConnection: close\r\n" + announced + "\r\n";
}
std::string with_length(const std::string &status, const std::string &body) {
  return head(status, std::to_string(body.size())) + body;
}
size_t number(const std::string &text) { return std::strtoull(text.c_str(), nullptr, 10); }

// Each route answers from the text after its prefix and the whole request.
using Text = const std::string &;
using Route = std::string (*)(Text arg, Text request);
constexpr std::pair<std::string_view, Route> kRoutes[] = {
    {"/bytes/", [](Text n, Text) { return head("200 OK", n) + body_bytes(number(n)); }},
    {"/nolength/", [](Text n, Text) { return head("200 OK", {}) + body_bytes(number(n)); }},
    {"/declare/", [](Text arg, Text) {
       size_t slash = arg.find('/');
       return head("200 OK", arg.substr(0, slash)) + body_bytes(number(arg.substr(slash + 1)));
     }},
    {"/echo", [](Text, Text request) { return with_length("200 OK", request); }},
};

// The request's head and body (WinINet writes "Content-Length" so), or what came before the client gave up.
std::string read_request(SOCKET s) {
  std::string data;
  char buf[65536];
  for (;;) {
    size_t end = data.find("\r\n\r\n"), length = data.find("\r\nContent-Length: ");
    if (end != std::string::npos && data.size() >= end + 4 + (length < end ? number(data.substr(length + 18, 20)) : 0))
      return data;
    int got = recv(s, buf, sizeof buf, 0);
    if (got <= 0) return data;
    data.append(buf, static_cast<size_t>(got));
  }
}

void serve(SOCKET socket) {
  std::string request = read_request(socket);
  std::string target = request.substr(0, request.find("\r\n"));
  target = target.substr(target.find(' ') + 1, target.rfind(' ') - target.find(' ') - 1);
  std::string response = with_length("404 Not Found", "no such route");
  for (const auto &[prefix, route] : kRoutes)
    if (target.compare(0, prefix.size(), prefix) == 0) response = route(target.substr(prefix.size()), request);
  int sent = 1;
  for (size_t at = 0; sent > 0 && at < response.size(); at += static_cast<size_t>(sent))
    sent = send(socket, response.data() + at, static_cast<int>(response.size() - at), 0);
  shutdown(socket, SD_SEND);
  closesocket(socket);
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

}  // namespace tarvo::test
