#pragma once
// A plain TCP server on 127.0.0.1 for tests that need exact control of the
// bytes on the wire: it records each request as received (header order
// included) and lets the test answer with anything, including broken
// responses, stalls and early closes.
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace kanro::test {

struct RawRequest {
  std::string requestLine;               // "GET /path HTTP/1.1"
  std::vector<std::string> headerLines;  // "Name: value", in the order received
  std::string body;                      // as many bytes as Content-Length said

  // The value of the first header with this name (case-insensitive), or "".
  std::string Header(std::string_view name) const;
  // How many header lines carry this name.
  int HeaderCount(std::string_view name) const;
  // Position of the first header with this name in headerLines, or -1.
  int HeaderIndex(std::string_view name) const;
};

class RawServer;

// One accepted connection, handed to the handler with the request read.
class RawConnection {
 public:
  const RawRequest& request() const { return request_; }
  // Sends all bytes; false when the peer has gone.
  bool Write(std::string_view bytes);
  // Returns when the peer closes the connection or the server stops,
  // sending nothing meanwhile.
  void StallUntilClosed();

 private:
  friend class RawServer;
  RawConnection(int fd, RawRequest request, const std::atomic<bool>& stopping)
      : fd_(fd), request_(std::move(request)), stopping_(stopping) {}
  int fd_;
  RawRequest request_;
  const std::atomic<bool>& stopping_;
};

class RawServer {
 public:
  // The handler answers each request; the connection is closed when it
  // returns. Requests are handled one at a time, on the server's thread.
  using Handler = std::function<void(RawConnection&)>;

  explicit RawServer(Handler handler);
  ~RawServer();
  RawServer(const RawServer&) = delete;
  RawServer& operator=(const RawServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:<port>" + path.
  std::string Url(const std::string& path) const;
  std::vector<RawRequest> Requests() const;

  // A complete response with Content-Length and "Connection: close".
  static std::string Response(int status, const std::string& reason, const std::string& body,
                              const std::vector<std::string>& headers = {});

 private:
  void Serve();
  void HandleClient(int fd);

  Handler handler_;
  int listenFd_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::vector<RawRequest> requests_;
  std::thread thread_;
};

}  // namespace kanro::test
