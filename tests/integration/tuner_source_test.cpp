// The tuner-server listing types against the real tuner server from npm: its
// answers become header and data pages that the exports' page reader lays
// out to the same programmes; marks keep their programme over a re-download
// with a changed schedule; a re-download keeps what the server forgot; bad
// answers (from a local stand-in) fail with a reason and keep the old page.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

#include "app/clock.h"
#include "app/listing_time.h"
#include "app/settings_store.h"
#include "demo/source_stand_ins.h"
#include "export/listing_page_reader.h"
#include "fixtures/download_fixture.h"
#include "fixtures/tuner_seed.h"
#include "fixtures/tuner_server.h"
#include "listing/download_thread.h"
#include "sources/tuner_answer.h"
#include "support/local_http_server.h"
#include "support/process.h"
#include "view/watch_list.h"

namespace kanro::sources {
namespace {

using test::Json;
using test::TunerProgramme;
using test::TunerService;

constexpr int kNet = 32736;  // a terrestrial network id
constexpr int kBsNet = 4;

class TunerSourceTest : public test::DownloadFixture {
 protected:
  void SetUp() override {
    DownloadFixture::SetUp();
    // Two hours after the next full hour: nothing seeded has ended yet.
    const int64_t now = app::Now();
    base_ = now - now % 3600 + 2 * 3600;
  }

  void StartServer(const QJsonArray& services, const QJsonArray& programmes) {
    server_.Stop();
    std::string why;
    ASSERT_TRUE(server_.Start(Json(services), Json(programmes), &why)) << why;
    WriteProfileString("URL", "Tuner", server_.BaseUrl());
  }

  int Run(const std::string& programmes, int days = 2) {
    param_ = listing::DOWNLOADPARAM{};
    param_.days = days;
    param_.start = app::GetListingTime();
    param_.force = true;
    param_.window = &window_;
    param_.programmes = programmes;
    return listing::DownloadThread(&param_);
  }

  // The listing date of a moment (the day runs from 05:00).
  static int DateOf(int64_t time) { return app::DateNumber(time - 5 * 3600); }
  // Minutes of a moment after midnight of its listing date.
  static int MinuteOf(int64_t time) {
    const app::LocalDate local = app::ToLocalDate(time);
    return local.hour * 60 + local.minute + (local.hour < 5 ? 1440 : 0);
  }

  exports::ListingDay Page(const std::string& entry, int date) {
    const exports::PageReadResult read = exports::ReadListingPages(
        HeadPage(entry), DataPage(std::to_string(date) + entry), date);
    EXPECT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.day.skipped, 0);
    return read.day;
  }
  static const exports::ListingProgramme* ById(const exports::ListingDay& day, const std::string& id) {
    for (const auto& p : day.programmes)
      if (p.watchId == id) return &p;
    return nullptr;
  }

  int64_t base_ = 0;
  test::RealTunerServer server_;
  test::RecordingTarget window_;
  listing::DOWNLOADPARAM param_;
};

TEST_F(TunerSourceTest, TheRealServersServicesAndProgrammesBecomePagesOfTheirKind) {
  const QJsonArray services{
      TunerService(kNet, 1025, "ふたつめ", 1, 2), TunerService(kNet, 1024, "ひとつめ", 1, 1),
      TunerService(kNet, 1030, "ラジオ", 2, 3),  // not television
      TunerService(kNet, 1031, "番組なし", 1, 4),
      TunerService(kBsNet, 101, "ビーエス", 1, 1, "BS", "BS15_0")};
  QJsonArray programmes{
      TunerProgramme(kNet, 1024, 1, base_, 30, "朝のニュース", 0),
      TunerProgramme(kNet, 1024, 2, base_ + 1800, 60, "連続ドラマ & <第1話>", 3, 1),
      TunerProgramme(kNet, 1024, 3, base_ + 5400, 30, nullptr),  // no name yet
      TunerProgramme(kNet, 1025, 7, base_, 45, "古い題名", 1),
      TunerProgramme(kNet, 1025, 7, base_ + 600, 45, "新しい題名", 1),  // the same event again
      TunerProgramme(kNet, 1030, 1, base_, 60, "ラジオ番組", 4),
      TunerProgramme(kBsNet, 101, 9, base_, 120, "衛星の映画", 6)};
  StartServer(services, programmes);
  // What was seeded comes back from the server before anything relies on it.
  const std::string served = server_.Get("/api/programs?networkId=32736");
  ASSERT_NE(served.find("朝のニュース"), std::string::npos) << served;
  ASSERT_NE(server_.Get("/api/services").find("ビーエス"), std::string::npos);

  ASSERT_EQ(Run("13TunerGr,13TunerBs,"), 0) << text::Cp932ToUtf8(param_.failure);
  const int date = DateOf(base_);
  const exports::ListingDay gr = Page("13TunerGr", date);
  ASSERT_EQ(gr.channels.size(), 3u);
  EXPECT_EQ(gr.channels[0].name, "ひとつめ") << "remote-control key order";
  EXPECT_EQ(gr.channels[1].name, "ふたつめ");
  EXPECT_EQ(gr.channels[2].name, "番組なし") << "a service without programmes keeps its empty column";
  for (const auto& p : gr.programmes) EXPECT_NE(p.channel, 2u);

  const exports::ListingProgramme* news = ById(gr, TunerWatchId(1024, 1));
  ASSERT_NE(news, nullptr);
  EXPECT_EQ(news->title, "朝のニュース");
  EXPECT_EQ(news->channel, 0u);
  EXPECT_EQ(news->startMinute, MinuteOf(base_));
  EXPECT_EQ(news->stopMinute, MinuteOf(base_) + 30);
  EXPECT_EQ(news->genre, 0);
  EXPECT_FALSE(news->isNew);
  const exports::ListingProgramme* drama = ById(gr, TunerWatchId(1024, 2));
  ASSERT_NE(drama, nullptr);
  EXPECT_EQ(drama->title, "連続ドラマ & <第1話>") << "text is escaped, not markup";
  EXPECT_EQ(drama->genre, 3);
  EXPECT_TRUE(drama->isNew) << "the first episode of a series";
  EXPECT_EQ(ById(gr, TunerWatchId(1024, 3)), nullptr) << "a programme without a name is left out";
  // The server keeps one of a repeated event; the page shows it once.
  int repeated = 0;
  for (const auto& p : gr.programmes) repeated += p.watchId == TunerWatchId(1025, 7) ? 1 : 0;
  EXPECT_EQ(repeated, 1);
  for (const auto& p : gr.programmes) EXPECT_NE(p.title, "ラジオ番組");

  const exports::ListingDay bs = Page("13TunerBs", date);
  ASSERT_EQ(bs.channels.size(), 1u);
  EXPECT_EQ(bs.channels[0].name, "ビーエス");
  ASSERT_EQ(bs.programmes.size(), 1u);
  EXPECT_EQ(bs.programmes[0].title, "衛星の映画");
  EXPECT_EQ(bs.programmes[0].genre, 6);
}

TEST_F(TunerSourceTest, AMarkKeepsItsProgrammeWhenOneIsInsertedBeforeIt) {
  const QJsonArray services{TunerService(kNet, 1024, "ひとつめ", 1, 1)};
  StartServer(services, {TunerProgramme(kNet, 1024, 1, base_, 30, "前の番組"),
                         TunerProgramme(kNet, 1024, 2, base_ + 1800, 30, "見たい番組")});
  ASSERT_EQ(Run("13TunerGr,", 1), 0) << text::Cp932ToUtf8(param_.failure);
  const int date = DateOf(base_);
  const std::string marked = TunerWatchId(1024, 2);
  ASSERT_NE(ById(Page("13TunerGr", date), marked), nullptr);
  WriteProfileString("Watch", std::to_string(date).c_str(), marked + "13TunerGr,");

  // A news flash pushes the marked programme half an hour later.
  StartServer(services, {TunerProgramme(kNet, 1024, 1, base_, 30, "前の番組"),
                         TunerProgramme(kNet, 1024, 5, base_ + 1800, 30, "臨時ニュース"),
                         TunerProgramme(kNet, 1024, 2, base_ + 3600, 30, "見たい番組")});
  ASSERT_EQ(Run("13TunerGr,", 1), 0) << text::Cp932ToUtf8(param_.failure);
  const exports::ListingDay day = Page("13TunerGr", date);
  const std::set<std::string> numbers =
      view::MarkedNumbers(view::ReadWatchKeys(std::to_string(date)), "13TunerGr");
  std::vector<std::string> markedTitles;
  for (const auto& p : day.programmes)
    if (numbers.count(p.watchId)) markedTitles.push_back(p.title);
  EXPECT_EQ(markedTitles, std::vector<std::string>{"見たい番組"});
}

TEST_F(TunerSourceTest, AnEveningDownloadKeepsTheMorningTheServerHasForgotten) {
  // The premise: the real server drops programmes that have ended when it
  // loads its store.
  const int64_t now = app::Now();
  const QJsonArray services{TunerService(kNet, 1024, "ひとつめ", 1, 1), TunerService(kNet, 1025, "ふたつめ", 1, 2)};
  StartServer(services, {TunerProgramme(kNet, 1024, 40, now - 7200, 60, "終わった番組"),
                         TunerProgramme(kNet, 1024, 41, now + 3600, 60, "これから")});
  EXPECT_EQ(server_.Get("/api/programs").find("終わった番組"), std::string::npos);

  StartServer(services, {TunerProgramme(kNet, 1024, 1, base_, 30, "朝の番組"),
                         TunerProgramme(kNet, 1024, 2, base_ + 1800, 30, "昼の番組"),
                         TunerProgramme(kNet, 1025, 3, base_, 30, "取り消される番組"),
                         TunerProgramme(kNet, 1025, 4, base_ + 1800, 30, "その次")});
  ASSERT_EQ(Run("13TunerGr,", 1), 0) << text::Cp932ToUtf8(param_.failure);

  // Later: the first programmes have ended and the server forgot them; on
  // the second channel another programme now holds the first one's slot.
  app::SetClockForTesting([this] { return base_ + 2700; });
  StartServer(services, {TunerProgramme(kNet, 1024, 2, base_ + 1800, 30, "昼の番組"),
                         TunerProgramme(kNet, 1025, 6, base_, 30, "差し替え"),
                         TunerProgramme(kNet, 1025, 4, base_ + 1800, 30, "その次")});
  ASSERT_EQ(Run("13TunerGr,", 1), 0) << text::Cp932ToUtf8(param_.failure);
  const exports::ListingDay day = Page("13TunerGr", DateOf(base_));
  std::vector<std::string> titles;
  for (const auto& p : day.programmes) titles.push_back(p.title);
  EXPECT_EQ(titles, (std::vector<std::string>{"朝の番組", "昼の番組", "差し替え", "その次"}));
}

TEST_F(TunerSourceTest, TheCommandLineDownloadsATunerEntry) {
  StartServer({TunerService(kNet, 1024, "ひとつめ", 1, 1)}, {TunerProgramme(kNet, 1024, 1, base_, 30, "朝の番組")});
  const test::ProcessResult result =
      test::RunKanroCli({"--data-dir", data_.path().string(), "download", "--days", "2", "--programs", "13TunerGr,"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("written: " + std::to_string(DateOf(base_)) + "13TunerGr"), std::string::npos)
      << result.out;
}

// The demo's stand-in answers in the real server's shapes: seeded with the
// stand-in's own data, the real server gives back objects with the same keys
// and kinds of value.
TEST_F(TunerSourceTest, TheDemoStandInAnswersInTheShapesOfTheRealServer) {
  const std::string services = demo::StandInServicesJson();
  const std::string programmes = demo::StandInProgramsJson(app::GetListingTime(), 0);
  StartServer(QJsonDocument::fromJson(QByteArray::fromStdString(services)).array(),
              QJsonDocument::fromJson(QByteArray::fromStdString(programmes)).array());
  auto shape = [](const QJsonObject& o) {
    std::map<std::string, QJsonValue::Type> keys;
    for (auto it = o.begin(); it != o.end(); ++it) keys[it.key().toStdString()] = it.value().type();
    return keys;
  };
  auto byId = [](const std::string& json) {
    std::map<qint64, QJsonObject> objects;
    for (const QJsonValue& v : QJsonDocument::fromJson(QByteArray::fromStdString(json)).array())
      objects[v.toObject().value("id").toInteger()] = v.toObject();
    return objects;
  };
  for (const auto& [what, ours, real, ignored] :
       {std::tuple{"services", services, server_.Get("/api/services"), std::set<std::string>{"epgReady", "epgUpdatedAt"}},
        std::tuple{"programmes", programmes, server_.Get("/api/programs"), std::set<std::string>{}}}) {
    SCOPED_TRACE(what);
    const auto standIn = byId(ours);
    const auto served = byId(real);
    ASSERT_FALSE(served.empty());
    for (const auto& [id, object] : served) {
      ASSERT_TRUE(standIn.count(id)) << id;
      auto expected = shape(object);
      for (const std::string& key : ignored) expected.erase(key);
      EXPECT_EQ(shape(standIn.at(id)), expected) << id;
    }
  }
}

// Bad answers from a local stand-in in the real server's shapes: each run
// fails naming the page and the reason, and the pages of a good run stay.
TEST_F(TunerSourceTest, BadAnswersFailWithTheirReasonAndKeepThePages) {
  test::LocalHttpServer standIn;
  std::string services = Json({TunerService(kNet, 1024, "ひとつめ", 1, 1)});
  std::string programmes = Json({TunerProgramme(kNet, 1024, 1, base_, 30, "朝の番組")});
  int servicesStatus = 200, programmesStatus = 200;
  standIn.server().Get("/api/services", [&](const httplib::Request&, httplib::Response& res) {
    res.status = servicesStatus;
    res.set_content(services, "application/json");
  });
  standIn.server().Get("/api/programs", [&](const httplib::Request&, httplib::Response& res) {
    res.status = programmesStatus;
    res.set_content(programmes, "application/json");
  });
  standIn.Start();
  WriteProfileString("URL", "Tuner", standIn.Url("/"));
  ASSERT_EQ(Run("13TunerGr,", 1), 0) << text::Cp932ToUtf8(param_.failure);
  const std::string page = std::to_string(DateOf(base_)) + "13TunerGr";
  const std::string goodData = test::ReadAll(DataPage(page));
  const std::string goodHead = test::ReadAll(HeadPage("13TunerGr"));
  ASSERT_FALSE(goodData.empty());

  struct Case {
    const char* what;
    std::function<void()> make;
    const char* reason;  // part of the failure text
  };
  const std::string goodServices = services, goodProgrammes = programmes;
  const std::vector<Case> cases = {
      {"services 404",
       [&] {
         servicesStatus = 404;
         services = R"({"code":404,"reason":"Not Found"})";
       },
       "404"},
      {"programmes 500", [&] { programmesStatus = 500; }, "内部エラー"},
      {"not JSON", [&] { services = "<html>busy</html>"; }, "JSON として読めません"},
      {"truncated", [&] { programmes = goodProgrammes.substr(0, goodProgrammes.size() / 2); }, "JSON として読めません"},
      {"wrong shape", [&] { services = R"({"services":[]})"; }, "配列ではありません"},
      {"over 16 MiB", [&] { programmes = "[" + std::string(17 << 20, ' ') + "]"; }, ""},
      {"no television", [&] { services = Json({TunerService(kNet, 1030, "ラジオ", 2, 1)}); }, "テレビのサービスがありません"},
      {"only bad programmes",
       [&] {
         programmes = Json({TunerProgramme(kNet, 1024, 1, base_, 0, "長さなし"),
                            TunerProgramme(kNet, 1024, 2, -5000000000LL, 30, "遠い過去"),
                            TunerProgramme(kNet, 1024, 3, base_, -30, "負の長さ")});
       },
       "番組が一つもありません"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    services = goodServices;
    programmes = goodProgrammes;
    servicesStatus = programmesStatus = 200;
    c.make();
    EXPECT_EQ(Run("13TunerGr,", 1), 1);
    const std::string failure = text::Cp932ToUtf8(param_.failure);
    EXPECT_NE(failure.find("【地デジ(チューナー)】"), std::string::npos) << failure;
    EXPECT_NE(failure.find(c.reason), std::string::npos) << failure;
    EXPECT_EQ(test::ReadAll(DataPage(page)), goodData);
    EXPECT_EQ(test::ReadAll(HeadPage("13TunerGr")), goodHead);
  }
  standIn.Stop();
  // And a server that is not there at all.
  EXPECT_EQ(Run("13TunerGr,", 1), 1);
  EXPECT_NE(text::Cp932ToUtf8(param_.failure).find("【地デジ(チューナー)】"), std::string::npos);
  EXPECT_EQ(test::ReadAll(DataPage(page)), goodData);
}

}  // namespace
}  // namespace kanro::sources
