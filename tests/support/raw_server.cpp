#include "support/raw_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace kanro::test {

namespace {

constexpr int kPollMs = 50;

bool SameName(std::string_view line, std::string_view name) {
  size_t colon = line.find(':');
  if (colon == std::string_view::npos || colon != name.size()) return false;
  for (size_t i = 0; i < name.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(line[i])) !=
        std::tolower(static_cast<unsigned char>(name[i])))
      return false;
  return true;
}

std::string ValueOf(std::string_view line) {
  size_t colon = line.find(':');
  std::string_view value = line.substr(colon + 1);
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  return std::string(value);
}

// Waits until fd is readable; false when the server stops first.
bool WaitReadable(int fd, const std::atomic<bool>& stopping) {
  while (!stopping.load()) {
    pollfd p{fd, POLLIN, 0};
    int n = poll(&p, 1, kPollMs);
    if (n > 0) return true;
    if (n < 0 && errno != EINTR) return false;
  }
  return false;
}

}  // namespace

std::string RawRequest::Header(std::string_view name) const {
  for (const auto& line : headerLines)
    if (SameName(line, name)) return ValueOf(line);
  return {};
}

int RawRequest::HeaderCount(std::string_view name) const {
  return static_cast<int>(std::count_if(headerLines.begin(), headerLines.end(),
                                        [&](const std::string& line) { return SameName(line, name); }));
}

int RawRequest::HeaderIndex(std::string_view name) const {
  for (size_t i = 0; i < headerLines.size(); ++i)
    if (SameName(headerLines[i], name)) return static_cast<int>(i);
  return -1;
}

bool RawConnection::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

void RawConnection::StallUntilClosed() {
  char buffer[256];
  while (WaitReadable(fd_, stopping_)) {
    ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) return;
  }
}

RawServer::RawServer(Handler handler) : handler_(std::move(handler)) {
  listenFd_ = socket(AF_INET, SOCK_STREAM, 0);
  if (listenFd_ < 0) throw std::runtime_error("socket failed");
  int yes = 1;
  setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listenFd_, 16) != 0) {
    close(listenFd_);
    throw std::runtime_error("bind or listen failed");
  }
  socklen_t length = sizeof address;
  getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

RawServer::~RawServer() {
  stopping_.store(true);
  thread_.join();
  close(listenFd_);
}

std::string RawServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<RawRequest> RawServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::string RawServer::Response(int status, const std::string& reason, const std::string& body,
                                const std::vector<std::string>& headers) {
  std::string response = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
  for (const auto& header : headers) response += header + "\r\n";
  response += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
  return response + body;
}

void RawServer::Serve() {
  while (WaitReadable(listenFd_, stopping_)) {
    int fd = accept(listenFd_, nullptr, nullptr);
    if (fd < 0) continue;
    HandleClient(fd);
    shutdown(fd, SHUT_RDWR);
    close(fd);
  }
}

void RawServer::HandleClient(int fd) {
  std::string received;
  size_t headEnd = std::string::npos;
  char buffer[4096];
  while ((headEnd = received.find("\r\n\r\n")) == std::string::npos) {
    if (!WaitReadable(fd, stopping_)) return;
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return;
    received.append(buffer, static_cast<size_t>(n));
  }

  RawRequest request;
  std::string_view head(received.data(), headEnd);
  size_t lineEnd = head.find("\r\n");
  request.requestLine = std::string(head.substr(0, lineEnd));
  while (lineEnd != std::string_view::npos) {
    size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    request.headerLines.emplace_back(head.substr(start, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - start));
  }
  size_t wanted = 0;
  std::string length = request.Header("Content-Length");
  if (!length.empty()) wanted = std::strtoul(length.c_str(), nullptr, 10);
  request.body = received.substr(headEnd + 4);
  while (request.body.size() < wanted) {
    if (!WaitReadable(fd, stopping_)) return;
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    request.body.append(buffer, static_cast<size_t>(n));
  }
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
  }
  RawConnection connection(fd, std::move(request), stopping_);
  handler_(connection);
}

}  // namespace kanro::test
