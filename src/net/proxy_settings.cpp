#include "net/proxy_settings.h"

#include "app/settings_store.h"
#include "net/blowfish.h"

namespace kanro::net {

bool ProxySettings::ProxyNameValid() const {
  if (address.empty() || port.empty() || port.size() > 5) return false;
  long number = 0;
  for (char c : port) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  return number >= 1 && number <= 65535;
}

bool ProxySettings::SendsCredentials() const {
  return accessType == kAccessProxy && !user.empty() && password.has_value();
}

ProxySettings ReadProxySettings() {
  ProxySettings settings;
  settings.accessType = GetProfileInt("Network", "AccessType", kAccessSystem);
  settings.address = GetProfileString("Network", "ProxyAddress", "");
  settings.port = GetProfileString("Network", "ProxyPort", "");
  settings.user = GetProfileString("Network", "ProxyUser", "");
  if (auto stored = GetProfileBinary("Network", "ProxyPass"))
    settings.password = DecipherProxyPassword(*stored);
  return settings;
}

}  // namespace kanro::net
