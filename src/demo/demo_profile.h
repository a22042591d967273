#pragma once
// The demo's own settings profile and data folder, so a demo start never
// touches the user's settings or pages, and its first-start preset.
#include <filesystem>
#include <string>
#include <vector>

namespace kanro::demo {

class DemoServer;

// The settings application name of the demo ("Tsuki"/"KanroDemo").
inline constexpr const char* kDemoSettingsName = "KanroDemo";

// Switches this process's settings to the demo's profile. Call before the
// first settings read.
void UseDemoSettingsProfile();

// The demo's data folder: "Tsuki/Kanro/demo" in the user's data location
// (~/.local/share unless XDG_DATA_HOME says otherwise).
std::filesystem::path DefaultDemoDataDir();
// The folder given by --data-dir in args (removed from them), else
// DefaultDemoDataDir(). KANRO_DATA_DIR is ignored: it names the user's own
// data, which the demo must not touch.
std::filesystem::path ResolveDemoDataDir(std::vector<std::string>& args);

// Every demo start: the five "URL" settings, "URL"/"Tuner" and "URL"/"Xmltv"
// (the stand-ins of the tuner server and the XMLTV file), the service address
// (KANRO_SERVICE_URL of this process) point at the running server, and the
// connection is direct ("Network"/"AccessType" 1), whatever proxy the
// environment names.
void PointAtServer(const DemoServer& server);

// The programme list the demo starts with.
inline constexpr const char* kDemoPrograms = "08GooTv,25GooTv,08GooBsDisital,08YahooFm,08TunerGr,";

// On the first demo start (nothing stored but what PointAtServer writes): presets
// the programme list, selects its first entry, downloads a few days at once
// without courtesy waits, so the first start shows today's listing without
// the settings sheet. Never overwrites a stored value. True when it preset.
bool PresetFirstStart();

}  // namespace kanro::demo
