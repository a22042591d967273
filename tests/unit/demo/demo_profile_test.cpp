// The demo's settings profile, data folder and first-start preset.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "demo/demo_profile.h"
#include "demo/demo_server.h"
#include "net/service_request.h"
#include "support/temp_dir.h"

namespace kanro::demo {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::TempDir;

fs::path ConfigFile(const std::string& name) {
  return fs::path(std::getenv("XDG_CONFIG_HOME")) / "Tsuki" / (name + ".conf");
}

class DemoProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app::SetSettingsApplicationName("Kanro"));
    app::DeleteAllProfileValues();
    UseDemoSettingsProfile();
    app::DeleteAllProfileValues();
    std::string error;
    ASSERT_TRUE(server_.Start(0, &error)) << error;
  }
  void TearDown() override {
    app::DeleteAllProfileValues();
    app::SetSettingsApplicationName("Kanro");
    app::DeleteAllProfileValues();
  }
  DemoServer server_;
};

TEST_F(DemoProfileTest, FirstStartPresetsOnceAndNeverOverwrites) {
  PointAtServer(server_);
  ASSERT_TRUE(PresetFirstStart());
  EXPECT_EQ(GetProfileString("Download", "Programs"), kDemoPrograms);
  EXPECT_EQ(GetProfileInt("Window", "TvProgramTypeIndex", -1), 0) << "no settings sheet at the first start";
  EXPECT_EQ(GetProfileInt("Download", "WaitSec", 3), 0);
  EXPECT_EQ(GetProfileInt("Download", "LaunchAuto", 0), 1);
  int days = GetProfileInt("Download", "Days", 8);
  EXPECT_GE(days, 1);
  EXPECT_LE(days, 3);

  // The user's own choices in the demo stay from then on, also across the
  // next start's PointAtServer.
  WriteProfileInt("Download", "Days", 7);
  WriteProfileString("Download", "Programs", "47YahooFm,");
  PointAtServer(server_);
  EXPECT_FALSE(PresetFirstStart());
  EXPECT_EQ(GetProfileInt("Download", "Days", 0), 7);
  EXPECT_EQ(GetProfileString("Download", "Programs"), "47YahooFm,");
}

TEST_F(DemoProfileTest, AnyStoredValueMeansNotTheFirstStart) {
  WriteProfileInt("Window", "MaxRank", 2);
  EXPECT_FALSE(PresetFirstStart());
  EXPECT_EQ(GetProfileString("Download", "Programs", "absent"), "absent");
  EXPECT_EQ(GetProfileInt("Window", "TvProgramTypeIndex", -1), -1);
}

TEST_F(DemoProfileTest, PointsEveryAddressAtTheServerAndGoesDirect) {
  WriteProfileInt("Network", "AccessType", 0);
  PointAtServer(server_);
  for (const char* type : {"GooTv", "GooBsDisital", "GooUhfBs", "YahooAm", "YahooFm"}) {
    std::string url = GetProfileString("URL", type);
    EXPECT_EQ(url.rfind(server_.BaseUrl() + "/", 0), 0u) << type << ": " << url;
    EXPECT_EQ(url, server_.UrlTemplate(type));
  }
  EXPECT_EQ(net::ServiceUrl(), server_.ServiceUrl());
  EXPECT_EQ(GetProfileInt("Network", "AccessType", 0), 1);
}

TEST_F(DemoProfileTest, DemoStartLeavesTheUsersSettingsFileAsItWas) {
  // The user's profile before the demo runs: one value of their own.
  app::SetSettingsApplicationName("Kanro");
  WriteProfileString("Download", "Programs", "13GooTv,");
  const std::string before = ReadAll(ConfigFile("Kanro"));
  ASSERT_FALSE(before.empty());

  UseDemoSettingsProfile();
  PointAtServer(server_);
  ASSERT_TRUE(PresetFirstStart()) << "the user's values do not count as the demo's";
  WriteProfileInt("Window", "TvProgramTypeIndex", 2);

  EXPECT_EQ(ReadAll(ConfigFile("Kanro")), before);
  EXPECT_NE(ReadAll(ConfigFile(kDemoSettingsName)).find(kDemoPrograms), std::string::npos);
  EXPECT_EQ(app::ProfileLocation(), ConfigFile(kDemoSettingsName).string());

  app::SetSettingsApplicationName("Kanro");
  EXPECT_EQ(GetProfileString("Download", "Programs"), "13GooTv,");
  EXPECT_EQ(GetProfileInt("Window", "TvProgramTypeIndex", -1), -1);
}

TEST_F(DemoProfileTest, DemoStartCreatesNoUserSettingsFile) {
  fs::remove(ConfigFile("Kanro"));
  PointAtServer(server_);
  PresetFirstStart();
  EXPECT_FALSE(fs::exists(ConfigFile("Kanro")));
  EXPECT_TRUE(fs::exists(ConfigFile(kDemoSettingsName)));
}

TEST(DemoSettingsName, RefusesNamesThatAreNotOneFileName) {
  EXPECT_FALSE(app::SetSettingsApplicationName(""));
  EXPECT_FALSE(app::SetSettingsApplicationName("../Kanro"));
  EXPECT_FALSE(app::SetSettingsApplicationName("a\\b"));
}

TEST(DemoDataDir, LivesInTheUsersDataLocationUnlessGivenAndIgnoresTheRealDataDir) {
  TempDir home("kanro-data-home");
  setenv("XDG_DATA_HOME", home.path().c_str(), 1);
  setenv("KANRO_DATA_DIR", "/the/users/real/data", 1);
  const fs::path expected = home.path() / "Tsuki" / "Kanro" / "demo" / "";
  EXPECT_EQ(DefaultDemoDataDir(), expected);

  std::vector<std::string> none = {"--demo"};
  EXPECT_EQ(ResolveDemoDataDir(none), expected) << "KANRO_DATA_DIR names the user's data, not the demo's";
  std::vector<std::string> given = {"--demo", "--data-dir", "/tmp/elsewhere"};
  EXPECT_EQ(ResolveDemoDataDir(given), fs::path("/tmp/elsewhere/"));
  EXPECT_EQ(given, std::vector<std::string>{"--demo"});
  unsetenv("KANRO_DATA_DIR");
  unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace kanro::demo
