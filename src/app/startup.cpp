#include "app/startup.h"

#include "app/default_files.h"
#include "app/leftover_files.h"
#include "app/paths.h"
#include "app/retention.h"

namespace kanro::app {

bool PrepareDataFolder(std::string* reason) {
  if (!CheckDataDirWritable(reason)) return false;
  CreateDefaultFiles();
  RemoveLeftoverFiles();
  RemoveOldFiles();
  return true;
}

bool PrepareDataFolderIfWritable(std::string* reason) {
  if (PrepareDataFolder(reason)) return true;
  RemoveOldFiles();
  return false;
}

}  // namespace kanro::app
