#include "demo/guarded_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kanro::demo {
namespace {

using Clock = std::chrono::steady_clock;

// Set while the accepting thread runs a connection it has no room for: the
// connection is then answered 503 and closed without reading it.
thread_local bool t_refuseConnection = false;

class LimitedStream;
// The connection this worker serves, for the error handler.
thread_local const LimitedStream* t_servedStream = nullptr;

// Serves up to `limit` connections at once, each on a worker of its own
// (started when needed, kept until shutdown). A connection beyond that is
// refused at once instead of waiting behind connections that never finish.
class ConnectionPool : public httplib::TaskQueue {
 public:
  explicit ConnectionPool(size_t limit) : limit_(std::max<size_t>(limit, 1)) {}
  ~ConnectionPool() override { shutdown(); }

  void enqueue(std::function<void()> fn) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!stopping_ && busy_ + jobs_.size() < limit_) {
        jobs_.push_back(std::move(fn));
        if (workers_.size() - busy_ < jobs_.size()) workers_.emplace_back([this] { Work(); });
        arrived_.notify_one();
        return;
      }
    }
    t_refuseConnection = true;
    fn();
    t_refuseConnection = false;
  }

  void shutdown() override {
    std::vector<std::thread> workers;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
      workers.swap(workers_);
    }
    arrived_.notify_all();
    for (std::thread& worker : workers)
      if (worker.joinable()) worker.join();
  }

 private:
  void Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      arrived_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (jobs_.empty()) return;  // stopping, and every connection taken was served
      std::function<void()> job = std::move(jobs_.front());
      jobs_.pop_front();
      ++busy_;
      lock.unlock();
      job();
      lock.lock();
      --busy_;
    }
  }

  const size_t limit_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<std::function<void()>> jobs_;
  std::vector<std::thread> workers_;
  size_t busy_ = 0;
  bool stopping_ = false;
};

void AddressOf(int sock, bool peer, std::string& ip, int& port) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  const int got = peer ? getpeername(sock, reinterpret_cast<sockaddr*>(&address), &length)
                       : getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length);
  if (got != 0 || address.ss_family != AF_INET) return;
  const auto* in = reinterpret_cast<const sockaddr_in*>(&address);
  char text[INET_ADDRSTRLEN] = {};
  if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) ip = text;
  port = ntohs(in->sin_port);
}

// Waits up to timeoutMs for the socket to become readable (or writable);
// false on a time-out or an error.
bool WaitFor(int sock, short events, int timeoutMs) {
  pollfd entry{sock, events, 0};
  for (;;) {
    const int ready = ::poll(&entry, 1, std::max(timeoutMs, 0));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

// The connection as the library reads it, with the limits applied: the
// head (request line and headers) may not outgrow its limit, the body is
// cut off after its limit, and reading ends at the request's deadline.
class LimitedStream : public httplib::Stream {
 public:
  LimitedStream(int sock, const RequestLimits& limits)
      : sock_(sock), limits_(limits), deadline_(Clock::now() + std::chrono::seconds(limits.requestSeconds)) {}

  bool is_readable() const override { return pos_ < filled_ || WaitFor(sock_, POLLIN, RemainingMs()); }
  bool is_writable() const override { return WaitFor(sock_, POLLOUT, kWriteTimeoutMs); }

  ssize_t read(char* ptr, size_t size) override {
    if (pos_ == filled_ && !Fill()) return failed_ ? -1 : 0;
    size_t n = std::min(size, filled_ - pos_);
    if (!headEnded_) {
      // Byte by byte up to the empty line that ends the head.
      size_t taken = 0;
      while (taken < n && !headEnded_) {
        if (++headBytes_ > limits_.headBytes) {
          headTooLarge_ = true;
          failed_ = true;
          return -1;
        }
        const char c = buffer_[pos_ + taken++];
        if (c == '\n') {
          firstLineEnded_ = true;
          headEnded_ = lineLength_ == 0;
          lineLength_ = 0;
        } else if (c != '\r') {
          ++lineLength_;
        }
      }
      n = taken;
    } else {
      if (bodyBytes_ >= limits_.bodyBytes) {
        failed_ = true;
        return -1;
      }
      n = std::min(n, limits_.bodyBytes - bodyBytes_);
      bodyBytes_ += n;
    }
    std::copy(buffer_ + pos_, buffer_ + pos_ + n, ptr);
    pos_ += n;
    return static_cast<ssize_t>(n);
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (!is_writable()) return -1;
    const ssize_t sent = ::send(sock_, ptr, size, MSG_NOSIGNAL);
    if (sent > 0) written_ += static_cast<size_t>(sent);
    return sent;
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override { AddressOf(sock_, true, ip, port); }
  void get_local_ip_and_port(std::string& ip, int& port) const override { AddressOf(sock_, false, ip, port); }
  socket_t socket() const override { return sock_; }

  // The status that says why reading the request failed: the head was too
  // large, or the request did not arrive in time. 0: neither.
  int FailureStatus() const {
    if (headTooLarge_) return firstLineEnded_ ? 431 : 414;
    if (timedOut_ && received_ > 0) return 408;
    return 0;
  }
  // The same when the library gave up without answering at all.
  int UnansweredStatus() const { return written_ > 0 ? 0 : FailureStatus(); }
  // True when reading stopped before the request ended (a limit, a time-out,
  // an error), so request bytes may still be on their way.
  bool Failed() const { return failed_; }

 private:
  static constexpr int kWriteTimeoutMs = 5000;

  int RemainingMs() const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
  }

  bool Fill() {
    pos_ = filled_ = 0;
    if (!WaitFor(sock_, POLLIN, RemainingMs())) {
      timedOut_ = true;
      failed_ = true;
      return false;
    }
    ssize_t got;
    do {
      got = ::recv(sock_, buffer_, sizeof buffer_, 0);
    } while (got < 0 && errno == EINTR);
    if (got < 0) failed_ = true;
    if (got <= 0) return false;
    filled_ = static_cast<size_t>(got);
    received_ += filled_;
    return true;
  }

  const int sock_;
  const RequestLimits limits_;
  const Clock::time_point deadline_;
  char buffer_[4096];
  size_t pos_ = 0;
  size_t filled_ = 0;
  size_t received_ = 0;
  size_t headBytes_ = 0;
  size_t lineLength_ = 0;
  size_t bodyBytes_ = 0;
  size_t written_ = 0;
  bool firstLineEnded_ = false;
  bool headEnded_ = false;
  bool headTooLarge_ = false;
  bool timedOut_ = false;
  bool failed_ = false;
};

const char* ReasonOf(int status) {
  switch (status) {
    case 408: return "Request Timeout";
    case 414: return "URI Too Long";
    case 431: return "Request Header Fields Too Large";
    default: return "Service Unavailable";
  }
}

// A short answer of our own, sent without waiting: the socket's buffer is
// empty, so it fits.
void SendStatus(int sock, int status) {
  const std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + ReasonOf(status) +
                             "\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";
  (void)::send(sock, answer.data(), answer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

// Closes after the answer. Unread request bytes would make the close reset
// the connection and could cost the client the answer, so a little of what
// is still coming is read and dropped first (bounded in bytes and time; not
// waited for at all on the accepting thread).
void CloseAfterAnswer(int sock, bool wait) {
  ::shutdown(sock, SHUT_WR);
  char sink[4096];
  size_t dropped = 0;
  const auto until = Clock::now() + std::chrono::milliseconds(500);
  while (dropped < 1024 * 1024 && Clock::now() < until && WaitFor(sock, POLLIN, wait ? 100 : 0)) {
    const ssize_t got = ::recv(sock, sink, sizeof sink, MSG_DONTWAIT);
    if (got <= 0) break;
    dropped += static_cast<size_t>(got);
  }
  ::close(sock);
}

}  // namespace

GuardedHttpServer::GuardedHttpServer(RequestLimits limits) : limits_(limits) {
  set_payload_max_length(limits_.bodyBytes);
  set_keep_alive_max_count(1);
  const size_t connections = limits_.connections;
  new_task_queue = [connections] { return new ConnectionPool(connections); };
  // The library answers a head it could not read with 400; say which limit.
  set_error_handler(HandlerWithResponse([](const httplib::Request&, httplib::Response& response) {
    const int status = t_servedStream ? t_servedStream->FailureStatus() : 0;
    if (status == 0 || response.status != 400) return HandlerResponse::Unhandled;
    response.status = status;
    return HandlerResponse::Handled;
  }));
}

void GuardedHttpServer::WidenBacklog() {
  const socket_t sock = svr_sock_;
  if (sock != INVALID_SOCKET) ::listen(sock, SOMAXCONN);
}

bool GuardedHttpServer::process_and_close_socket(socket_t sock) {
  if (t_refuseConnection) {
    SendStatus(sock, 503);
    CloseAfterAnswer(sock, false);
    return false;
  }
  LimitedStream stream(sock, limits_);
  t_servedStream = &stream;
  bool closed = false;
  const bool served = process_request(stream, true, closed, nullptr);
  t_servedStream = nullptr;
  if (const int status = stream.UnansweredStatus()) SendStatus(sock, status);
  CloseAfterAnswer(sock, stream.Failed());
  return served;
}

}  // namespace kanro::demo
