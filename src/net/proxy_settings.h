#pragma once
// The proxy configuration of the "Network" section, read afresh for every
// request.
#include <optional>
#include <string>

namespace kanro::net {

enum AccessType : int {
  kAccessSystem = 0,  // the system's configuration (proxy environment variables)
  kAccessDirect = 1,  // no proxy, whatever the environment says
  kAccessProxy = 3,   // the named proxy ProxyAddress:ProxyPort
};

struct ProxySettings {
  int accessType = kAccessSystem;  // as stored
  std::string address;             // ProxyAddress
  std::string port;                // ProxyPort, as text
  std::string user;                // ProxyUser
  std::optional<std::string> password;  // deciphered ProxyPass; none when absent or unusable

  // "address:port", the name the named proxy is reached by.
  std::string ProxyName() const { return address + ":" + port; }
  // True when the named proxy can be used: an address and a port 1-65535.
  bool ProxyNameValid() const;
  // True when proxy credentials go with each request: the named proxy, a
  // user name and a stored password.
  bool SendsCredentials() const;
};

ProxySettings ReadProxySettings();

}  // namespace kanro::net
