#pragma once
// The unattended download switch: started with "/d" (or "--download") the
// program starts minimised, downloads at once and closes after the run if its
// window is still minimised.
#include <string>
#include <vector>

namespace kanro::app {

// Set at start-up by the switch; read by the view and the frame.
extern bool m_bAutoDownload;

// True only for an argument that is exactly "/d" or "--download". A path such
// as "/data/x" or "/dev/null" is not the switch, and neither is "/D".
bool IsDownloadSwitch(const std::string& arg);
bool HasDownloadSwitch(const std::vector<std::string>& args);

}  // namespace kanro::app
