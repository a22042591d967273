#pragma once
// The network page without widgets: how requests reach the Internet and the
// proxy with its user and enciphered password.
#include <string>

#include "settings/setting_page_model.h"

namespace kanro::settings {

enum class ProxyMode { System, Direct, Manual };

// Access type 1 is direct, 3 the named proxy, anything else the system's.
ProxyMode ModeFromAccessType(int accessType);
int AccessTypeFromMode(ProxyMode mode);

class NetworkPageModel : public SettingPageModel {
 public:
  NetworkPageModel();  // reads the "Network" values

  // Texts typed by the user (UTF-8); false with a message when one cannot be
  // stored as CP932. The port keeps digits only.
  bool SetTexts(const std::string& address, const std::string& port, const std::string& user,
                const std::string& password, std::string* message);

  bool Save() override;

  ProxyMode m_mode;
  std::string m_strAddress, m_strPort, m_strUser;  // CP932
  std::string m_strPassword;                       // CP932, plain while the page is open

 private:
  std::string m_loadedPassword;
};

}  // namespace kanro::settings
