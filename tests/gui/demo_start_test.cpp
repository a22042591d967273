// "kanro --demo" as a real process with fresh user folders: it downloads
// today's pages of its preset programmes from its own server, shows one of
// them, keeps its settings in its own profile beside the user's untouched
// settings file, and closes cleanly on SIGTERM.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/listing_time.h"
#include "demo/demo_profile.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using kanro::test::ReadAll;

// Polls the condition every 100 ms until it holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

std::vector<std::string> PresetEntries() {
  std::vector<std::string> entries;
  std::stringstream list(kanro::demo::kDemoPrograms);
  for (std::string entry; std::getline(list, entry, ',');)
    if (!entry.empty()) entries.push_back(entry);
  return entries;
}

class DemoStartTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(userSettings_.parent_path());
    kanro::test::WriteAll(userSettings_, kUserSettings);
    options_.env = {{"XDG_CONFIG_HOME", config_.path().string()},
                    {"XDG_DATA_HOME", share_.path().string()},
                    {"TMPDIR", tmp_.path().string()},
                    {"KANRO_REPORT_FIRST_PAGE", report_.string()}};
  }

  // The entries whose data page of the day or header page is still missing.
  std::vector<std::string> MissingPages(const std::string& date8) const {
    std::vector<std::string> missing;
    for (const std::string& entry : PresetEntries()) {
      if (!fs::is_regular_file(data_ / "Data" / (date8 + entry + ".htm")) ||
          !fs::is_regular_file(data_ / "Head" / (entry + ".htm")))
        missing.push_back(entry);
    }
    return missing;
  }

  static constexpr const char* kUserSettings =
      "[Download]\nPrograms=01OtherTv,\nDays=7\n\n[Window]\nTvProgramTypeIndex=2\n";

  kanro::test::TempDir config_{"kanro-demo-config"};
  kanro::test::TempDir share_{"kanro-demo-share"};
  kanro::test::TempDir tmp_{"kanro-demo-tmp"};
  kanro::test::TempDir data_{"kanro-demo-data"};
  fs::path userSettings_ = config_ / "Tsuki/Kanro.conf";
  fs::path demoSettings_ = config_ / (std::string("Tsuki/") + kanro::demo::kDemoSettingsName + ".conf");
  fs::path report_ = tmp_ / "shown-pages.txt";
  kanro::test::ProcessOptions options_;
};

TEST_F(DemoStartTest, ShowsTodaysDownloadedPageAndLeavesTheUserSettingsAlone) {
  const std::string today = kanro::app::DateText(kanro::app::GetListingTime());
  kanro::test::BackgroundProcess kanro;
  ASSERT_TRUE(kanro.Start(kanro::test::BinDir() / "kanro", {"--demo", "--data-dir", data_.path().string()}, options_));

  EXPECT_TRUE(WaitFor([&] { return MissingPages(today).empty() || !kanro.Running(); }, std::chrono::seconds(60)));
  EXPECT_EQ(MissingPages(today), std::vector<std::string>{}) << "pages of " << today << " missing in " << data_.path();

  // One line per shown page: "<caption>\t<page path>".
  EXPECT_TRUE(WaitFor([&] { return ReadAll(report_).find('\n') != std::string::npos || !kanro.Running(); },
                      std::chrono::seconds(60)));
  const std::string shown = ReadAll(report_);
  std::string firstLine = shown.substr(0, shown.find('\n'));
  // "<time>\t<caption>\t<page>": the time is for benchmarks.
  firstLine = firstLine.substr(firstLine.find('\t') + 1);
  const size_t tab = firstLine.find('\t');
  ASSERT_NE(tab, std::string::npos) << "no page shown: '" << shown << "'";
  const std::string caption = firstLine.substr(0, tab);
  const fs::path page = firstLine.substr(tab + 1);
  EXPECT_TRUE(caption.size() > 8 && caption.ends_with(" - Kanro")) << caption;
  // The preset selects the first programme, so its page of the day comes first.
  std::error_code error;
  EXPECT_TRUE(fs::equivalent(page, data_ / "Data" / (today + PresetEntries().front() + ".htm"), error)) << page;

  const std::string demoSettings = ReadAll(demoSettings_);
  EXPECT_NE(demoSettings.find(kanro::demo::kDemoPrograms), std::string::npos) << demoSettings;
  EXPECT_EQ(ReadAll(userSettings_), kUserSettings);

  ASSERT_TRUE(kanro.Running()) << "the demo ended by itself";
  // SIGTERM closes the window as the user would: the program saves its
  // window state into its own profile and exits normally.
  kill(kanro.pid(), SIGTERM);
  EXPECT_EQ(kanro.Wait(20000), 0) << "no clean exit after SIGTERM";
  EXPECT_NE(ReadAll(demoSettings_).find("Geometry"), std::string::npos) << "the window state was not saved";
  EXPECT_EQ(ReadAll(userSettings_), kUserSettings);
  EXPECT_FALSE(fs::exists(share_ / "Tsuki/Kanro/demo")) << "the default demo folder was used despite --data-dir";
}

}  // namespace
