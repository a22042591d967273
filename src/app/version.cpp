#include "app/version.h"

#include <cstdio>

namespace kanro::app {

std::string GetVersionString() {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%d.%d%d", KANRO_VERSION_MAJOR, KANRO_VERSION_MINOR, KANRO_VERSION_PATCH);
  return buffer;
}

}  // namespace kanro::app
