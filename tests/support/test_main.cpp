// Main for every test program: settings go to a private, temporary
// XDG_CONFIG_HOME so tests never touch the user's real settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/temp_dir.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  kanro::test::TempDir config("kanro-config");
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  unsetenv("KANRO_DATA_DIR");
  return RUN_ALL_TESTS();
}
