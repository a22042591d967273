// Watch marks across a schedule change: a page is converted, programmes are
// marked, the site's schedule changes (a programme inserted earlier on the
// page, the marked one removed or retitled), and the page is converted again
// through the producer, as a download or `kanro-cli convert` does. The marks
// must name the programmes they named before, also in the caption summary.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/clock.h"
#include "converted_pages.h"
#include "export/listing_page_reader.h"
#include "export/watch_mark_carry.h"
#include "listing/html_producer_factory.h"
#include "view/page_cells.h"
#include "view/watch_list.h"
#include "view/watch_marks.h"

namespace kanro::exports {
namespace {

namespace fs = std::filesystem;
using sites::SampleProgramme;

constexpr int kDate = 20110309;

struct Site {
  const char* typeKey;
  const char* code;
  int prefecture;
  const char* entry;
};
void PrintTo(const Site& site, std::ostream* out) { *out << site.entry; }

// Yahoo pages carry no watch links of their own: a user's rewrite rule adds
// them, as it would on a real installation.
std::string YahooWatchRule() {
  return "<strong>([0-9]+:[0-9]+)</strong><strong>(.*?)</strong>\t"
         "$& <a placeholder=\"TIME=$1&TITLE=$2end_of_placeholder\">W</a>\t1\r\n";
}

std::string TimeText(int minute) { return std::to_string(minute / 60 % 24) + ":" + (minute % 60 < 10 ? "0" : "") + std::to_string(minute % 60); }

// Every TD of a page in document order with its inner markup and class, tag
// names in capitals, as the view collects them.
std::vector<view::PageCell> CollectCells(const std::u32string& page) {
  std::vector<view::PageCell> cells;
  std::vector<std::pair<size_t, size_t>> open;  // cell, where its content begins
  for (size_t at = page.find(U"<"); at != std::u32string::npos; at = page.find(U"<", at + 1)) {
    const size_t end = page.find(U">", at);
    if (end == std::u32string::npos) break;
    if (page.compare(at, 4, U"<td ") == 0 || page.compare(at, 4, U"<td>") == 0) {
      view::PageCell cell;
      const std::u32string tag = page.substr(at, end - at);
      const size_t cls = tag.find(U"class=\"");
      if (cls != std::u32string::npos) cell.className = tag.substr(cls + 7, tag.find(U'"', cls + 7) - cls - 7);
      open.emplace_back(cells.size(), end + 1);
      cells.push_back(std::move(cell));
    } else if (page.compare(at, 5, U"</td>") == 0 && !open.empty()) {
      const auto [cell, begin] = open.back();
      open.pop_back();
      cells[cell].markup = view::NormalizeTagNames(page.substr(begin, at - begin));
    }
  }
  return cells;
}

class WatchMarkCarryTest : public testing::TestWithParam<Site> {
 protected:
  void SetUp() override {
    app::DeleteAllProfileValues();
    WriteProfileInt("Download", "KeepFresh", 1);
    app::SetDataDir(dir_.path());
    test::WriteAll(app::RulesPath(), DefaultRules() + YahooWatchRule());
    fs::create_directories(app::DataFolder());
    fs::create_directories(app::HeadFolder());
    options_.typeKey = GetParam().typeKey;
    options_.locationCode = GetParam().code;
    schedule_ = sites::SampleSchedule(options_);
    ASSERT_TRUE(Convert(schedule_).empty());
    before_ = Read();
    ASSERT_EQ(before_.programmes.size(), schedule_.size());
    ASSERT_FALSE(before_.programmes.front().watchId.empty()) << "the page carries watch links";
  }
  void TearDown() override { app::DeleteAllProfileValues(); }

  const std::string entry() const { return GetParam().entry; }

  // Converts the page showing the schedule through the producer; what it
  // said about dropped marks (UTF-8).
  std::string Convert(const std::vector<SampleProgramme>& schedule) {
    sites::SamplePageOptions options = options_;
    options.schedule = schedule;
    const fs::path downloaded = dir_ / "download.htm";
    EXPECT_TRUE(sites::WriteSamplePage(downloaded, options));
    listing::CHtmlProducerFactory factory;
    listing::CHtmlProducer* producer = factory.Find(GetParam().typeKey);
    producer->m_location.SetPrefecture(GetParam().prefecture);
    producer->m_time = app::FromLocalDate(2011, 3, 9, 12, 0, 0);
    EXPECT_TRUE(producer->ConvertPage(downloaded)) << text::Cp932ToUtf8(producer->FailureReason());
    return text::Cp932ToUtf8(producer->MarksDroppedText());
  }
  fs::path DataPage() const { return app::DataFolder() / (std::to_string(kDate) + entry() + ".htm"); }
  ListingDay Read() const {
    const PageReadResult read = ReadListingPages(app::HeadFolder() / (entry() + ".htm"), DataPage(), kDate);
    EXPECT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.day.skipped, 0);
    return read.day;
  }
  static const ListingProgramme* At(const ListingDay& day, size_t channel, int start) {
    for (const ListingProgramme& p : day.programmes)
      if (p.channel == channel && p.startMinute == start) return &p;
    return nullptr;
  }
  std::string KeyOf(const ListingDay& day, const SampleProgramme& p) const {
    const ListingProgramme* found = At(day, static_cast<size_t>(p.channel), p.startMinute);
    EXPECT_NE(found, nullptr) << p.title;
    return found ? found->watchId + entry() : std::string();
  }
  static std::string List(const std::vector<std::string>& keys) {
    std::string list;
    for (const std::string& key : keys) list += key + ",";
    return list;
  }
  static std::vector<std::string> Stored() { return view::ReadWatchKeys(std::to_string(kDate)); }

  // The index of a programme of the channel starting after the hour that
  // has a programme before it in its channel.
  size_t Pick(int channel, int afterHour) const {
    for (size_t i = 1; i < schedule_.size(); ++i)
      if (schedule_[i].channel == channel && schedule_[i - 1].channel == channel && schedule_[i].startMinute >= afterHour * 60)
        return i;
    ADD_FAILURE() << "no programme on channel " << channel;
    return 0;
  }
  // The schedule with a programme put into the first programme of ten
  // minutes or more of channel 0, in the morning.
  std::vector<SampleProgramme> WithInsertion() const {
    std::vector<SampleProgramme> changed = schedule_;
    for (size_t i = 0; i < changed.size(); ++i) {
      SampleProgramme& p = changed[i];
      if (p.channel != 0 || p.durationMinutes < 10) continue;
      SampleProgramme inserted = p;
      const int first = p.durationMinutes / 10 * 5;
      p.durationMinutes = first;
      inserted.startMinute += first;
      inserted.durationMinutes -= first;
      inserted.timeText = TimeText(inserted.startMinute);
      inserted.title = "臨時ニュース";
      inserted.isNew = false;
      changed.insert(changed.begin() + static_cast<std::ptrdiff_t>(i) + 1, inserted);
      EXPECT_LT(inserted.startMinute, 12 * 60);
      return changed;
    }
    ADD_FAILURE() << "no programme to split";
    return changed;
  }

  test::TempDir dir_{"kanro-mark-carry"};
  sites::SamplePageOptions options_;
  std::vector<SampleProgramme> schedule_;
  ListingDay before_;
};

TEST_P(WatchMarkCarryTest, AnInsertionEarlierOnThePageMovesNoMarkToAnotherProgramme) {
  const SampleProgramme target = schedule_[Pick(2, 18)];
  const SampleProgramme first = schedule_[Pick(1, 0) - 1];  // 5:00 on channel 1, before the insertion
  const std::string otherEntry = "0001" + std::string(GetParam().typeKey == std::string("GooTv") ? "13YahooAm" : "08GooTv");
  const std::vector<std::string> marked = {KeyOf(before_, target), otherEntry, KeyOf(before_, first)};
  WriteProfileString("Watch", std::to_string(kDate).c_str(), List(marked));
  WriteProfileString("Watch", "20110310", List({KeyOf(before_, target)}));

  EXPECT_EQ(Convert(WithInsertion()), "");
  const ListingDay after = Read();
  ASSERT_EQ(after.programmes.size(), schedule_.size() + 1);
  ASSERT_NE(KeyOf(after, target), marked[0]) << "the insertion renumbered the programmes after it";
  EXPECT_EQ(Stored(), (std::vector<std::string>{KeyOf(after, target), otherEntry, marked[2]}))
      << "the mark follows its programme, in its place in the list; other entries' marks stay";
  EXPECT_EQ(view::ReadWatchKeys("20110310"), std::vector<std::string>{marked[0]}) << "another day's page was not rewritten";

  // The caption summary of the day names the programme that was marked.
  const std::vector<view::PageCell> cells = CollectCells(text::Cp932ToWide(test::ReadAll(DataPage())));
  view::WatchMarkRequest request;
  request.date = std::to_string(kDate);
  request.entry = entry();
  request.today = true;
  request.alertsOn = false;
  request.keys = Stored();
  const std::string summary = text::Cp932ToUtf8(view::DecideWatchMarks(cells, request).summary);
  EXPECT_NE(summary.find("【" + target.timeText + "】" + ThroughCp932(target.title) + " "), std::string::npos) << summary;
  EXPECT_NE(summary.find("【" + first.timeText + "】" + ThroughCp932(first.title) + " "), std::string::npos) << summary;
  request.keys = marked;  // what the stored marks would have said without being carried
  const std::string uncarried = text::Cp932ToUtf8(view::DecideWatchMarks(cells, request).summary);
  EXPECT_EQ(uncarried.find("【" + target.timeText + "】" + ThroughCp932(target.title)), std::string::npos) << uncarried;
}

TEST_P(WatchMarkCarryTest, WhatTheWatchRulesMarkedAndTheUserUnmarkedFollowsItsProgrammesToo) {
  // A rule marked two programmes; the user unmarked one of them, so only
  // the rules' record names it. Both IDs must move with the insertion, or
  // the exclusion would land on another programme.
  const SampleProgramme kept = schedule_[Pick(2, 18)];
  const SampleProgramme unmarked = schedule_[Pick(3, 20)];
  const std::string date = std::to_string(kDate);
  WriteProfileString("AutoWatch", date.c_str(), List({KeyOf(before_, kept), KeyOf(before_, unmarked)}));
  WriteProfileString("Watch", date.c_str(), "");

  EXPECT_EQ(Convert(WithInsertion()), "");
  const ListingDay after = Read();
  ASSERT_NE(KeyOf(after, unmarked), KeyOf(before_, unmarked)) << "the insertion renumbered the programmes after it";
  EXPECT_EQ(GetProfileString("AutoWatch", date.c_str()), List({KeyOf(after, kept), KeyOf(after, unmarked)}));
  EXPECT_EQ(GetProfileString("Watch", date.c_str(), "<none>"), "");
}

TEST_P(WatchMarkCarryTest, AMarkedProgrammeThatLeftTheScheduleLosesItsMarkAndSaysSo) {
  const size_t index = Pick(2, 18);
  const SampleProgramme target = schedule_[index];
  const SampleProgramme kept = schedule_[Pick(3, 20)];
  WriteProfileString("Watch", std::to_string(kDate).c_str(), List({KeyOf(before_, target), KeyOf(before_, kept)}));

  // The programme before it runs on in its place.
  std::vector<SampleProgramme> changed = schedule_;
  changed[index - 1].durationMinutes += changed[index].durationMinutes;
  changed.erase(changed.begin() + static_cast<std::ptrdiff_t>(index));
  const std::string said = Convert(changed);
  EXPECT_NE(said.find("「" + ThroughCp932(target.title) + "」"), std::string::npos) << said;
  const ListingDay after = Read();
  EXPECT_EQ(Stored(), std::vector<std::string>{KeyOf(after, kept)}) << "never carried to the programme before it";
}

TEST_P(WatchMarkCarryTest, ARetitledProgrammeKeepsItsMarkUnlessItIsAnotherProgramme) {
  const size_t slight = Pick(2, 18);
  const size_t other = Pick(3, 20);
  const SampleProgramme slightTarget = schedule_[slight];
  const SampleProgramme otherTarget = schedule_[other];
  WriteProfileString("Watch", std::to_string(kDate).c_str(),
                     List({KeyOf(before_, slightTarget), KeyOf(before_, otherTarget)}));

  std::vector<SampleProgramme> changed = WithInsertion();
  for (SampleProgramme& p : changed) {
    if (p.channel == slightTarget.channel && p.startMinute == slightTarget.startMinute) p.title += "・拡大版[字]";
    if (p.channel == otherTarget.channel && p.startMinute == otherTarget.startMinute) p.title = "全国高校駅伝";
  }
  const std::string said = Convert(changed);
  EXPECT_NE(said.find("「" + ThroughCp932(otherTarget.title) + "」"), std::string::npos) << said;
  EXPECT_EQ(said.find(ThroughCp932(slightTarget.title)), std::string::npos) << said;
  EXPECT_EQ(Stored(), std::vector<std::string>{KeyOf(Read(), slightTarget)});
}

TEST_P(WatchMarkCarryTest, AnUnchangedPageLeavesTheStoredListAlone) {
  const std::string list = "\"" + KeyOf(before_, schedule_[Pick(2, 18)]) + "\",";
  WriteProfileString("Watch", std::to_string(kDate).c_str(), list);
  EXPECT_EQ(Convert(schedule_), "");
  EXPECT_EQ(GetProfileString("Watch", std::to_string(kDate).c_str()), list) << "written as it was stored";
}

INSTANTIATE_TEST_SUITE_P(BothSites, WatchMarkCarryTest,
                         testing::Values(Site{"GooTv", "008", 8, "08GooTv"}, Site{"YahooAm", "23", 13, "13YahooAm"}),
                         [](const testing::TestParamInfo<Site>& param) { return std::string(param.param.typeKey); });

// The matching rules themselves, on listing days made by hand.
ListingDay Day(std::vector<std::string> stations, std::vector<ListingProgramme> programmes) {
  ListingDay day;
  day.date = kDate;
  for (std::string& name : stations) day.channels.push_back(ListingChannel{std::move(name), "", "", ""});
  day.programmes = std::move(programmes);
  return day;
}
ListingProgramme Programme(size_t channel, int start, std::string title, std::string id) {
  ListingProgramme p;
  p.channel = channel;
  p.startMinute = start;
  p.stopMinute = start + 30;
  p.title = std::move(title);
  p.watchId = std::move(id);
  return p;
}

TEST(CarryWatchKeys, FollowsTheStationNotTheColumnAndMergesMarksThatMeetOnOneProgramme) {
  const ListingDay before = Day({"さくら", "ひかり"}, {Programme(0, 600, "朝の窓", "0000"), Programme(1, 600, "旅", "0001"),
                                                     Programme(1, 630, "旅", "0002")});
  // A station was added in front: every column moved one to the right.
  const ListingDay after = Day({"あおば", "さくら", "ひかり"},
                               {Programme(0, 600, "旅", "0000"), Programme(1, 600, "朝の窓", "0001"),
                                Programme(2, 600, "旅", "0002"), Programme(2, 630, "旅", "0003")});
  const CarriedMarks carried = CarryWatchKeys({"000208GooTv", "000108GooTv", "000008GooTv"}, "08GooTv", before, after);
  EXPECT_EQ(carried.keys, (std::vector<std::string>{"000308GooTv", "000208GooTv", "000108GooTv"}));
  EXPECT_EQ(carried.moved, 3);
  EXPECT_TRUE(carried.dropped.empty());

  // Two programmes with one title at one start on one station cannot both be
  // meant; a duplicate key is kept once.
  const CarriedMarks twice = CarryWatchKeys({"000108GooTv", "000108GooTv"}, "08GooTv", before, before);
  EXPECT_EQ(twice.keys, std::vector<std::string>{"000108GooTv"});
  EXPECT_TRUE(twice.changed);
}

TEST(CarryWatchKeys, KeysThePageCannotPlaceStayAsTheyWere) {
  const ListingDay before = Day({"さくら"}, {Programme(0, 600, "朝の窓", "0000")});
  const ListingDay after = Day({"さくら"}, {Programme(0, 570, "特番", "0000"), Programme(0, 600, "朝の窓", "0001")});
  const CarriedMarks carried = CarryWatchKeys({"004208GooTv", "0000", "000008GooTv"}, "08GooTv", before, after);
  EXPECT_EQ(carried.keys, (std::vector<std::string>{"004208GooTv", "0000", "000108GooTv"}));
}

TEST(SimilarTitle, MarkersAndAdditionsAreSlightChangesAnotherNameIsNot) {
  EXPECT_TRUE(SimilarTitle("ニュース", "ニュース[字]"));
  EXPECT_TRUE(SimilarTitle("お笑い劇場【再】", "お笑い劇場"));
  EXPECT_TRUE(SimilarTitle("ドラマ 星の海（第7回）", "ドラマ星の海（第8回）"));
  EXPECT_TRUE(SimilarTitle("クラシック名演奏", "クラシック名演奏会・特別編"));
  EXPECT_FALSE(SimilarTitle("お笑い劇場", "クラシック名演奏"));
  EXPECT_FALSE(SimilarTitle("[字]", "天気"));
}

}  // namespace
}  // namespace kanro::exports
