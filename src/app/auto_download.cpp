#include "app/auto_download.h"

#include <algorithm>

namespace kanro::app {

bool m_bAutoDownload = false;

bool IsDownloadSwitch(const std::string& arg) { return arg == "/d" || arg == "--download"; }

bool HasDownloadSwitch(const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(), IsDownloadSwitch);
}

}  // namespace kanro::app
