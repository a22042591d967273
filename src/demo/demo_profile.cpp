#include "demo/demo_profile.h"

#include <QByteArray>
#include <QStandardPaths>
#include <QString>

#include "app/paths.h"
#include "app/settings_store.h"
#include "demo/demo_server.h"
#include "listing/listing_types.h"
#include "net/proxy_settings.h"

namespace kanro::demo {

void UseDemoSettingsProfile() { app::SetSettingsApplicationName(kDemoSettingsName); }

std::filesystem::path DefaultDemoDataDir() {
  QString location = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  std::filesystem::path base = location.isEmpty() ? std::filesystem::temp_directory_path()
                                                  : std::filesystem::path(location.toStdString());
  return base / "Tsuki" / "Kanro" / "demo" / "";
}

std::filesystem::path ResolveDemoDataDir(std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--data-dir" || arg.rfind("--data-dir=", 0) == 0) return app::ResolveDataDir(args, nullptr);
  }
  return DefaultDemoDataDir();
}

void PointAtServer(const DemoServer& server) {
  for (const listing::ListingType& type : listing::kListingTypes) {
    if (!listing::IsSiteType(type)) continue;
    std::string key(type.key);
    WriteProfileString("URL", key.c_str(), server.UrlTemplate(type.key));
  }
  WriteProfileString("URL", "Tuner", server.TunerUrl());
  WriteProfileString("URL", "Xmltv", server.XmltvUrl());
  qputenv("KANRO_SERVICE_URL", QByteArray::fromStdString(server.ServiceUrl()));
  // The demo talks to its own loopback server only: a proxy from the
  // environment (http_proxy without a no_proxy for 127.0.0.1) would break it.
  WriteProfileInt("Network", "AccessType", net::kAccessDirect);
}

bool PresetFirstStart() {
  for (const app::ProfileValue& value : app::ListProfileValues()) {
    bool pointing = value.section == "URL" || (value.section == "Network" && value.key == "AccessType");
    if (!pointing) return false;
  }

  struct Preset {
    const char* section;
    const char* key;
    int number;
    const char* text;  // null: the number is written
  };
  // Three days fetch in a few seconds from the local server; existing pages
  // are kept, so later demo starts only fetch the new days.
  static const Preset kPresets[] = {
      {"Download", "Programs", 0, kDemoPrograms},
      {"Download", "Days", 3, nullptr},
      {"Download", "WaitSec", 0, nullptr},
      {"Download", "LaunchAuto", 1, nullptr},
      {"Download", "KeepFresh", 0, nullptr},
      {"Window", "TvProgramTypeIndex", 0, nullptr},
  };
  for (const Preset& preset : kPresets) {
    if (preset.text)
      WriteProfileString(preset.section, preset.key, preset.text);
    else
      WriteProfileInt(preset.section, preset.key, preset.number);
  }
  return true;
}

}  // namespace kanro::demo
