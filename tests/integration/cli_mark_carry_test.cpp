// Watch marks through a real kanro-cli when the schedule changes: a download
// from the local listing server, marks, then the site's page changes (a
// programme inserted early, a marked one gone) and is downloaded again; then
// the same page, retitled, through `kanro-cli convert`.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/listing_time.h"
#include "app/settings_store.h"
#include "export/listing_page_reader.h"
#include "fixtures/listing_server.h"
#include "sites/sample_pages.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "text/codepage.h"
#include "view/watch_list.h"

namespace kanro::test {
namespace {

namespace fs = std::filesystem;
using sites::SampleProgramme;

class CliMarkCarryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app::DeleteAllProfileValues();
    server_.PointSettingsHere();
    WriteProfileInt("Download", "WaitSec", 0);
    ProcessResult download = Cli({"download", "--days", "1", "--programs", "08GooTv,"});
    ASSERT_EQ(download.exitCode, 0) << download.err;
    ASSERT_EQ(server_.PageTargets().size(), 1u);
    target_ = server_.PageTargets()[0];
    options_ = *sites::SampleOptionsForTarget(target_);
    schedule_ = sites::SampleSchedule(options_);
  }
  void TearDown() override { app::DeleteAllProfileValues(); }

  ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data-dir", data_.path().string()});
    return RunKanroCli(args);
  }
  std::string Date() const { return std::to_string(app::DateNumber(app::GetListingTime())); }
  // The stored key of the programme of the page now on disk.
  std::string KeyOf(const SampleProgramme& p) const {
    const int date = std::stoi(Date());
    const exports::PageReadResult read = exports::ReadListingPages(
        data_ / "Head" / "08GooTv.htm", data_ / "Data" / (Date() + "08GooTv.htm"), date);
    for (const exports::ListingProgramme& got : read.day.programmes)
      if (static_cast<int>(got.channel) == p.channel && got.startMinute == p.startMinute) return got.watchId + "08GooTv";
    ADD_FAILURE() << p.title;
    return {};
  }
  // The first programme of the channel from the hour on that has one before it.
  size_t Pick(int channel, int hour) const {
    for (size_t i = 1; i < schedule_.size(); ++i)
      if (schedule_[i].channel == channel && schedule_[i - 1].channel == channel && schedule_[i].startMinute >= hour * 60)
        return i;
    return 0;
  }

  ListingServer server_;
  TempDir data_{"kanro-cli-mark-carry"};
  std::string target_;
  sites::SamplePageOptions options_;
  std::vector<SampleProgramme> schedule_;
};

TEST_F(CliMarkCarryTest, DownloadAndConvertCarryMarksAndNameThoseThatAreGone) {
  // Kept is after the insertion and before the removal, so it moves.
  const size_t gone = Pick(2, 20);
  const size_t kept = Pick(3, 9);
  ASSERT_TRUE(gone > 0 && kept > 0);
  const SampleProgramme keptProgramme = schedule_[kept];
  const std::string keptBefore = KeyOf(keptProgramme);
  WriteProfileString("Watch", Date().c_str(), KeyOf(schedule_[gone]) + "," + keptBefore + ",");

  // The site now shows a programme more in the first column early in the
  // day, and the marked one of channel 2 gave its time to the one before.
  std::vector<SampleProgramme> changed = schedule_;
  changed[gone - 1].durationMinutes += changed[gone].durationMinutes;
  const std::string goneTitle = text::Cp932ToUtf8(text::Utf8ToCp932(changed[gone].title));
  changed.erase(changed.begin() + static_cast<std::ptrdiff_t>(gone));
  std::vector<SampleProgramme> withoutInsertion = changed;
  const auto first = std::find_if(changed.begin(), changed.end(),
                                  [](const SampleProgramme& p) { return p.channel == 0 && p.durationMinutes >= 10; });
  ASSERT_NE(first, changed.end());
  ASSERT_LT(first->startMinute, schedule_[kept].startMinute);
  SampleProgramme inserted = *first;
  first->durationMinutes = 5;
  inserted.startMinute += 5;
  inserted.durationMinutes -= 5;
  inserted.timeText = std::to_string(inserted.startMinute / 60 % 24) + ":" + (inserted.startMinute % 60 < 10 ? "0" : "") +
                      std::to_string(inserted.startMinute % 60);
  inserted.title = "臨時ニュース";
  changed.insert(first + 1, inserted);
  sites::SamplePageOptions options = options_;
  options.schedule = changed;
  server_.ServeBody(target_, sites::GenerateSamplePage(options));

  ProcessResult again = Cli({"download", "--force", "--days", "1", "--programs", "08GooTv,"});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_NE(again.out.find("「" + goneTitle + "」"), std::string::npos) << again.out;
  const std::string keptNow = KeyOf(keptProgramme);
  EXPECT_NE(keptNow, keptBefore) << "the changes renumbered the programme";
  EXPECT_EQ(view::ReadWatchKeys(Date()), std::vector<std::string>{keptNow});

  // The same page saved with the kept programme retitled, converted by hand.
  options.schedule = withoutInsertion;
  for (SampleProgramme& p : options.schedule)
    if (p.channel == keptProgramme.channel && p.startMinute == keptProgramme.startMinute) p.title += "[字]";
  const fs::path saved = data_ / "saved.html";
  ASSERT_TRUE(sites::WriteSamplePage(saved, options));
  ProcessResult convert = Cli({"convert", "--entry", "08GooTv", "--date", Date(), saved.string()});
  ASSERT_EQ(convert.exitCode, 0) << convert.err;
  EXPECT_EQ(view::ReadWatchKeys(Date()), std::vector<std::string>{KeyOf(keptProgramme)});
  EXPECT_NE(KeyOf(keptProgramme), keptNow) << "the insertion left the page again";
}

}  // namespace
}  // namespace kanro::test
