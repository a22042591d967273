#include "app/startup.h"

#include "app/default_files.h"
#include "app/paths.h"
#include "app/retention.h"

namespace kanro::app {

bool PrepareDataFolder(std::string* reason) {
  if (!CheckDataDirWritable(reason)) return false;
  CreateDefaultFiles();
  RemoveOldFiles();
  return true;
}

}  // namespace kanro::app
