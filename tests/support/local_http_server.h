#pragma once
// A cpp-httplib server on 127.0.0.1 at a free port, running on its own thread
// for the lifetime of the object. Register routes on server() before the
// first request; the listening socket exists from construction on.
#include <httplib.h>

#include <stdexcept>
#include <string>
#include <thread>

namespace kanro::test {

class LocalHttpServer {
 public:
  LocalHttpServer() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("cannot bind a local HTTP server");
  }
  ~LocalHttpServer() { Stop(); }
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  httplib::Server& server() { return server_; }
  int port() const { return port_; }
  // "http://127.0.0.1:<port>" + path.
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  // Starts answering; call after registering the routes.
  void Start() {
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  void Stop() {
    if (!thread_.joinable()) return;
    // stop() does nothing until the loop runs, so wait for it first.
    while (!server_.is_running()) std::this_thread::yield();
    server_.stop();
    thread_.join();
  }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace kanro::test
