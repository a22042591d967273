#pragma once
// An HTTP server (cpp-httplib) that bounds what one client can make it hold:
// the request line and headers, the body, the time a request may take to
// arrive, and the number of connections served at once. The library alone
// grows a buffer for as long as a request line goes on, reads any body it is
// told of, and queues every connection behind the ones that never finish.
#include <httplib.h>

#include <cstddef>

namespace kanro::demo {

struct RequestLimits {
  size_t headBytes = 16 * 1024;   // request line and headers together
  size_t bodyBytes = 64 * 1024;   // the largest body read (the demo needs none)
  int requestSeconds = 5;         // from taking up a connection to its last request byte
  size_t connections = 64;        // served at once; more are answered 503 at once
};

class GuardedHttpServer : public httplib::Server {
 public:
  explicit GuardedHttpServer(RequestLimits limits = {});

  const RequestLimits& limits() const { return limits_; }

  // After bind_to_port or bind_to_any_port: lets the system queue as many
  // connections as it allows instead of the library's 5, so a burst of
  // connections is not held up by handshakes the system repeats a second later.
  void WidenBacklog();

 private:
  // Replaces the library's connection handling: one request per connection,
  // read through a stream that enforces the limits.
  bool process_and_close_socket(socket_t sock) override;

  RequestLimits limits_;
};

}  // namespace kanro::demo
