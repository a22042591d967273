#pragma once
// A TCP port on 127.0.0.1 that was free a moment ago, for servers a test
// starts in another process.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kanro::test {

inline int FreeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

}  // namespace kanro::test
