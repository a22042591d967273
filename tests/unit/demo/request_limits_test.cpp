// The demo server against clients that send too much or too little: plain
// sockets on the real server, every wait bounded by socket time-outs.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "demo/demo_server.h"
#include "demo/guarded_http_server.h"

namespace kanro::demo {
namespace {

// A bound on every send and receive, so a server that stalls fails the test
// instead of hanging it.
constexpr int kGuardSeconds = 20;
// More than the socket buffers of a loopback connection can take in: a
// server that stopped reading makes the sending fail before this.
constexpr size_t kFlood = 64u * 1024 * 1024;

class Connection {
 public:
  explicit Connection(int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    timeval guard{kGuardSeconds, 0};
    setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &guard, sizeof guard);
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &guard, sizeof guard);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~Connection() { ::close(fd_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool connected() const { return connected_; }

  // Sends all bytes; false when the peer stopped taking them.
  bool Send(const std::string& bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
      const ssize_t sent = ::send(fd_, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
      if (sent <= 0) return false;
      at += static_cast<size_t>(sent);
    }
    return true;
  }

  // Sends `prefix`, then filler until kFlood bytes went or the server
  // stopped taking them; how many bytes went.
  size_t Flood(const std::string& prefix) {
    if (!Send(prefix)) return 0;
    const std::string piece(64 * 1024, 'a');
    size_t sent = prefix.size();
    while (sent < kFlood && Send(piece)) sent += piece.size();
    return sent;
  }

  // Everything until the server closes; `ended` tells a close (or reset)
  // from the guard's time-out.
  std::string ReadToEnd(bool* ended = nullptr) {
    std::string answer;
    char buffer[4096];
    for (;;) {
      const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
      if (got > 0) {
        answer.append(buffer, static_cast<size_t>(got));
        continue;
      }
      if (ended) *ended = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
      return answer;
    }
  }

  // The status line of the answer to a whole request.
  std::string Ask(const std::string& request) {
    if (!Send(request)) return "(not sent)";
    const std::string answer = ReadToEnd();
    return answer.substr(0, answer.find("\r\n"));
  }

 private:
  int fd_;
  bool connected_ = false;
};

std::string StatusLine(const std::string& answer) { return answer.substr(0, answer.find("\r\n")); }

const std::string kIndexRequest = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";

class RequestLimitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(server_.Start(0, &error)) << error;
  }

  std::string AskIndex() { return Connection(server_.Port()).Ask(kIndexRequest); }

  DemoServer server_;
  const RequestLimits limits_;
};

TEST_F(RequestLimitsTest, AnEndlessRequestLineIsCutOffInsteadOfBuffered) {
  Connection flood(server_.Port());
  ASSERT_TRUE(flood.connected());
  EXPECT_LT(flood.Flood("GET /"), kFlood) << "the server read the whole line";
  const std::string answer = flood.ReadToEnd();
  // The answer may be lost to the reset of the unread bytes; if it came, it says why.
  if (!answer.empty()) {
    EXPECT_EQ(StatusLine(answer), "HTTP/1.1 414 URI Too Long");
  }
  EXPECT_EQ(AskIndex(), "HTTP/1.1 200 OK");
}

TEST_F(RequestLimitsTest, HeadersBeyondTheLimitAreRefusedWith431) {
  std::string request = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n";
  while (request.size() <= limits_.headBytes) request += "X-Filler: " + std::string(1000, 'f') + "\r\n";
  request += "\r\n";
  EXPECT_EQ(Connection(server_.Port()).Ask(request), "HTTP/1.1 431 Request Header Fields Too Large");
  // Just under the limit is served.
  std::string fits = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n";
  while (fits.size() + 1012 + 2 <= limits_.headBytes) fits += "X-Filler: " + std::string(1000, 'f') + "\r\n";
  fits += "\r\n";
  EXPECT_EQ(Connection(server_.Port()).Ask(fits), "HTTP/1.1 200 OK");
}

TEST_F(RequestLimitsTest, BodiesBeyondTheLimitAreRefusedWithoutBeingRead) {
  const std::string head = "POST /kanro/operate.php HTTP/1.1\r\nHost: 127.0.0.1\r\n";
  Connection huge(server_.Port());
  EXPECT_LT(huge.Flood(head + "Content-Length: 99999999999\r\n\r\n"), kFlood) << "the server read the whole body";
  const std::string answer = huge.ReadToEnd();
  if (!answer.empty()) {
    EXPECT_EQ(StatusLine(answer), "HTTP/1.1 413 Payload Too Large");
  }

  // A body a little over the limit, sent whole, and a chunked one.
  const std::string over(limits_.bodyBytes + 1, 'b');
  EXPECT_EQ(Connection(server_.Port()).Ask(head + "Content-Length: " + std::to_string(over.size()) + "\r\n\r\n" + over),
            "HTTP/1.1 413 Payload Too Large");
  std::string chunked = head + "Transfer-Encoding: chunked\r\n\r\n";
  for (size_t sent = 0; sent <= limits_.bodyBytes; sent += 4096) chunked += "1000\r\n" + std::string(4096, 'c') + "\r\n";
  chunked += "0\r\n\r\n";
  EXPECT_NE(Connection(server_.Port()).Ask(chunked), "HTTP/1.1 200 OK");

  // The service's own requests are small and still answered.
  EXPECT_EQ(Connection(server_.Port()).Ask(head + "Content-Length: 6\r\n\r\nRANK=3"), "HTTP/1.1 200 OK");
}

TEST_F(RequestLimitsTest, IdleConnectionsNeitherHoldUpOthersNorStayOpen) {
  std::vector<std::unique_ptr<Connection>> idle;
  for (int i = 0; i < 21; ++i) {
    idle.push_back(std::make_unique<Connection>(server_.Port()));
    ASSERT_TRUE(idle.back()->Send("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n"));
  }
  EXPECT_EQ(AskIndex(), "HTTP/1.1 200 OK");
  // The server gives up on a request that does not arrive in time.
  bool ended = false;
  const std::string answer = idle.front()->ReadToEnd(&ended);
  EXPECT_TRUE(ended) << "an idle connection was kept open for " << kGuardSeconds << " s";
  if (!answer.empty()) {
    EXPECT_EQ(StatusLine(answer).substr(0, 10), "HTTP/1.1 4");
  }
}

TEST_F(RequestLimitsTest, ConnectionsBeyondTheLimitAreRefusedAtOnce) {
  std::vector<std::unique_ptr<Connection>> idle;
  for (size_t i = 0; i < limits_.connections; ++i) {
    idle.push_back(std::make_unique<Connection>(server_.Port()));
    ASSERT_TRUE(idle.back()->connected());
  }
  // Connections are taken up in the order they arrive, so this one finds
  // every place taken.
  EXPECT_EQ(AskIndex(), "HTTP/1.1 503 Service Unavailable");
  idle.clear();
  // Closed connections free their places; a few tries let the server notice.
  std::string status;
  for (int attempt = 0; attempt < 50 && status != "HTTP/1.1 200 OK"; ++attempt) {
    status = AskIndex();
    if (status != "HTTP/1.1 200 OK") usleep(20 * 1000);
  }
  EXPECT_EQ(status, "HTTP/1.1 200 OK");
}

}  // namespace
}  // namespace kanro::demo
