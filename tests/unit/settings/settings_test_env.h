#pragma once
// A private data folder and empty settings for each page-model test.
#include <gtest/gtest.h>

#include "app/paths.h"
#include "app/settings_store.h"
#include "support/temp_dir.h"

namespace kanro::test {

class SettingsPageTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app::DeleteAllProfileValues());
    app::SetDataDir(data_.path());
    std::filesystem::create_directories(app::CssFolder());
  }
  void TearDown() override { app::DeleteAllProfileValues(); }
  TempDir data_{"kanro-settings"};
};

}  // namespace kanro::test
