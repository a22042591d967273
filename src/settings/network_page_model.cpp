#include "settings/network_page_model.h"

#include <optional>

#include "app/settings_store.h"
#include "net/blowfish.h"
#include "net/proxy_settings.h"
#include "settings/storable_text.h"

namespace kanro::settings {

ProxyMode ModeFromAccessType(int accessType) {
  if (accessType == net::kAccessDirect) return ProxyMode::Direct;
  if (accessType == net::kAccessProxy) return ProxyMode::Manual;
  return ProxyMode::System;
}

int AccessTypeFromMode(ProxyMode mode) {
  switch (mode) {
    case ProxyMode::Direct: return net::kAccessDirect;
    case ProxyMode::Manual: return net::kAccessProxy;
    case ProxyMode::System: break;
  }
  return net::kAccessSystem;
}

NetworkPageModel::NetworkPageModel()
    : m_mode(ModeFromAccessType(GetProfileInt("Network", "AccessType", net::kAccessSystem))),
      m_strAddress(GetProfileString("Network", "ProxyAddress", "")),
      m_strPort(GetProfileString("Network", "ProxyPort", "")),
      m_strUser(GetProfileString("Network", "ProxyUser", "")) {
  if (std::optional<std::string> stored = GetProfileBinary("Network", "ProxyPass"))
    m_strPassword = net::DecipherProxyPassword(*stored).value_or("");
  m_loadedPassword = m_strPassword;
}

bool NetworkPageModel::SetTexts(const std::string& address, const std::string& port, const std::string& user,
                                const std::string& password, std::string* message) {
  std::optional<std::string> a = ToStorableText(address, LineBreaks::Refuse, message);
  std::optional<std::string> u = a ? ToStorableText(user, LineBreaks::Refuse, message) : std::nullopt;
  std::optional<std::string> p = u ? ToStorableText(password, LineBreaks::Refuse, message) : std::nullopt;
  if (!p) return false;
  std::string digits;
  for (char c : port)
    if (c >= '0' && c <= '9') digits += c;
  m_strAddress = *a;
  m_strPort = digits;
  m_strUser = *u;
  m_strPassword = *p;
  return true;
}

bool NetworkPageModel::Save() {
  bool ok = true;
  // An untouched password keeps its stored bytes, also ones this build
  // cannot decipher.
  if (m_strPassword != m_loadedPassword)
    ok = WriteProfileBinary("Network", "ProxyPass", net::EncipherProxyPassword(m_strPassword));
  return ok && WriteProfileInt("Network", "AccessType", AccessTypeFromMode(m_mode)) &&
         WriteProfileString("Network", "ProxyAddress", m_strAddress) &&
         WriteProfileString("Network", "ProxyPort", m_strPort) && WriteProfileString("Network", "ProxyUser", m_strUser);
}

}  // namespace kanro::settings
