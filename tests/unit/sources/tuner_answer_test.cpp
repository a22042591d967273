// Reading the tuner server's answers: which services make the channels and
// in what order, which programmes are kept, and answers of the wrong shape.
#include <gtest/gtest.h>

#include "fixtures/tuner_seed.h"
#include "sources/tuner_answer.h"

namespace kanro::sources {
namespace {

using test::Json;
using test::TunerProgramme;
using test::TunerService;

constexpr int64_t kStart = 1299614400;  // 2011-03-09 05:00 +0900

TEST(TunerAnswerTest, TelevisionServicesOfTheKindInRemoteControlKeyOrder) {
  QJsonObject noKey = TunerService(1, 30, "キーなし", 1, 0);
  noKey.remove("remoteControlKeyId");
  const std::string services = Json({TunerService(1, 20, "二", 1, 2), TunerService(1, 12, "一の二", 1, 1),
                                     TunerService(1, 11, "一の一", 1, 1), noKey, TunerService(1, 40, "ラジオ", 2, 4),
                                     TunerService(1, 50, "データ", 0xC0, 5), TunerService(4, 101, "衛星", 1, 1, "BS"),
                                     TunerService(1, 20, "二の重複", 1, 2), QJsonValue("not an object"),
                                     QJsonObject{{"name", "番号なし"}}});
  SourceSchedule gr;
  TunerChannels channels;
  std::string error;
  ASSERT_TRUE(ReadTunerServices(services, BroadcastKind::Terrestrial, &gr, &channels, &error)) << error;
  std::vector<std::string> names;
  for (const auto& c : gr.channels) names.push_back(c.name);
  EXPECT_EQ(names, (std::vector<std::string>{"一の一", "一の二", "二", "キーなし"}));
  EXPECT_EQ(channels.networks, std::vector<int64_t>{1});

  SourceSchedule bs;
  TunerChannels bsChannels;
  ASSERT_TRUE(ReadTunerServices(services, BroadcastKind::Bs, &bs, &bsChannels, &error));
  ASSERT_EQ(bs.channels.size(), 1u);
  EXPECT_EQ(bs.channels[0].key, "400101");
}

TEST(TunerAnswerTest, BadProgrammesAreLeftOutAndCountedAndARepeatedEventKeepsTheLaterOne) {
  SourceSchedule s;
  TunerChannels channels;
  std::string error;
  ASSERT_TRUE(ReadTunerServices(Json({TunerService(1, 11, "一", 1, 1)}), BroadcastKind::Terrestrial, &s, &channels, &error));
  QJsonObject fraction = TunerProgramme(1, 11, 8, kStart, 30, "小数の開始");
  fraction["startAt"] = 1299614400000.5;
  QJsonObject textual = TunerProgramme(1, 11, 9, kStart, 30, "文字の長さ");
  textual["duration"] = "1800000";
  QJsonObject controls = TunerProgramme(1, 11, 10, kStart + 7200, 30, "制御\x07文字\t入り");
  controls["extended"] = QJsonObject{{"出演", "誰か"}};
  const std::string programmes =
      Json({TunerProgramme(1, 11, 1, kStart, 30, "残る"), TunerProgramme(1, 11, 2, kStart, 30, nullptr),
            TunerProgramme(1, 11, 3, kStart, 0, "長さなし"), TunerProgramme(1, 11, 4, kStart, -5, "負の長さ"),
            TunerProgramme(1, 11, 5, 100, 30, "1970年"), TunerProgramme(1, 11, 6, 5000000000LL, 30, "遠い未来"),
            TunerProgramme(1, 11, 7, kStart + 1800, 30, "古い"), TunerProgramme(1, 11, 7, kStart + 3600, 30, "新しい"),
            fraction, textual, controls, TunerProgramme(1, 99, 1, kStart, 30, "他のサービス"), QJsonValue(3)});
  ASSERT_TRUE(ReadTunerPrograms(programmes, channels, &s, &error)) << error;
  std::vector<std::string> titles;
  for (const auto& p : s.programmes) titles.push_back(p.title);
  EXPECT_EQ(titles, (std::vector<std::string>{"残る", "新しい", "制御文字 入り"}));
  EXPECT_EQ(s.programmes[1].start, kStart + 3600);
  EXPECT_EQ(s.programmes[1].watchId, "0001100007");
  EXPECT_EQ(s.programmes[2].description, "出演：誰か");
  // Seven bad ones, one repeat and the element that is not a programme.
  EXPECT_EQ(s.rejected, 9);
}

TEST(TunerAnswerTest, AnswersThatAreNotAJsonArrayAreRefusedWithTheirReason) {
  SourceSchedule s;
  TunerChannels channels;
  std::string error;
  EXPECT_FALSE(ReadTunerServices("", BroadcastKind::Terrestrial, &s, &channels, &error));
  EXPECT_NE(error.find("JSON として読めません"), std::string::npos) << error;
  EXPECT_FALSE(ReadTunerServices(R"([{"id":1},)", BroadcastKind::Terrestrial, &s, &channels, &error));
  EXPECT_NE(error.find("JSON として読めません"), std::string::npos) << error;
  EXPECT_FALSE(ReadTunerPrograms(R"({"code":500,"reason":"Internal"})", channels, &s, &error));
  EXPECT_NE(error.find("配列ではありません: {\"code\":500"), std::string::npos) << error;
}

}  // namespace
}  // namespace kanro::sources
