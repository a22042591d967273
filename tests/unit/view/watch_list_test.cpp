#include "view/watch_list.h"

#include <gtest/gtest.h>

#include "app/settings_store.h"

namespace kanro::view {
namespace {

using Keys = std::vector<std::string>;

const std::string kService = "http://service.test/kanro/operate.php";
const std::filesystem::path kPage = "/data/Data/2011030908GooTv.htm";

TEST(WatchLinkIdTest, IdCountsOnlyAsFourOrMoreDigitsWithAParameterAfterIt) {
  struct Case {
    const char* url;
    const char* id;
  };
  const Case cases[] = {
      {"prp://watch?ID=0123&TIME=5%3A00&TITLE=%83%6A", "0123"},
      {"prp://watch/?ID=0123&TIME=5%3A00", "0123"},  // as WebEngine hands it over
      {"prp://watch?TIME=5%3A00&ID=0042&TITLE=x", "0042"},
      {"prp://watch?ID=12345&TIME=1", "12345"},
      {"prp://watch?ID=0123&", "0123"},
      {"prp://watch?TIME=5%3A00&ID=0123", ""},  // ID last: not a watch link
      {"prp://watch?ID=12&TIME=1", ""},
      {"prp://watch?ID=12a4&TIME=1", ""},
      {"prp://watch?ID=&TIME=1", ""},
      {"prp://watch?XID=0123&TIME=1", ""},
      {"prp://watch?id=0123&TIME=1", ""},
      {"prp://watch?junk&TIME=1", ""},
      {"prp://watch", ""},
      {"prp://other?ID=0123&TIME=1", ""},
      {"http://watch?ID=0123&TIME=1", ""},
      {"file:///tmp/x.htm?prp://watch?ID=0123&TIME=1", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WatchLinkId(std::string_view(c.url)), c.id) << c.url;
    EXPECT_EQ(WatchLinkId(QUrl(QString::fromLatin1(c.url))), c.id) << c.url;
  }
}

TEST(WatchKeyTest, KeysAndPageNamesSplitIntoNumberAndEntry) {
  const auto four = SplitWatchKey("012308GooTv");
  ASSERT_TRUE(four);
  EXPECT_EQ(four->number, "0123");
  EXPECT_EQ(four->entry, "08GooTv");
  const auto five = SplitWatchKey("1234513YahooFm");
  ASSERT_TRUE(five);
  EXPECT_EQ(five->number, "12345");
  EXPECT_EQ(five->entry, "13YahooFm");
  for (const char* bad : {"", "0123", "01230", "01208GooTv", "GooTv", "012308"})
    EXPECT_FALSE(SplitWatchKey(bad)) << bad;

  std::string date, entry;
  ASSERT_TRUE(SplitDataPageName(kPage, &date, &entry));
  EXPECT_EQ(date, "20110309");
  EXPECT_EQ(entry, "08GooTv");
  for (const char* bad :
       {"/d/Data/2011030908GooTv.html", "/d/Head/08GooTv.htm", "/d/Data/20110309.htm", "/d/index.htm"})
    EXPECT_FALSE(SplitDataPageName(bad, &date, &entry)) << bad;
}

TEST(WatchKeyTest, ToggleAddsOrRemovesEveryCopyAndKeepsTheOthersInOrder) {
  const Keys keys = {"012308GooTv", "004508GooTv", "009908GooTv"};
  const ToggledList added = ToggleWatchKey(keys, "777708GooTv");
  EXPECT_TRUE(added.watched);
  EXPECT_EQ(added.list, "012308GooTv,004508GooTv,009908GooTv,777708GooTv,");

  const ToggledList removed = ToggleWatchKey({"004508GooTv", "012308GooTv", "004508GooTv"}, "004508GooTv");
  EXPECT_FALSE(removed.watched);
  EXPECT_EQ(removed.list, "012308GooTv,");

  // The same programme number on another entry is another key.
  EXPECT_EQ(ToggleWatchKey(keys, "012313GooTv").list, "012308GooTv,004508GooTv,009908GooTv,012313GooTv,");
  EXPECT_EQ(ToggleWatchKey({"012308GooTv"}, "012308GooTv").list, "");
}

TEST(WatchKeyTest, MarkedNumbersAreThoseOfTheEntryShown) {
  const Keys keys = {"012308GooTv", "004513GooTv", "1234508GooTv", "004508GooUhfBs", "junk", "0099"};
  EXPECT_EQ(MarkedNumbers(keys, "08GooTv"), (std::set<std::string>{"0123", "12345"}));
  EXPECT_TRUE(MarkedNumbers({}, "08GooTv").empty());
}

TEST(WatchKeyTest, AnIdMatchesOnlyAsAWholeNumberAfterTheFirstCharacter) {
  const std::u32string cell = U"<A href=\"prp://watch?ID=12345&amp;TIME=1\">";
  EXPECT_TRUE(MarkupHasWatchId(cell, "12345"));
  EXPECT_FALSE(MarkupHasWatchId(cell, "1234"));
  EXPECT_FALSE(MarkupHasWatchId(cell, "2345"));
  EXPECT_TRUE(MarkupHasWatchId(U"x ID=1234", "1234"));   // at the very end
  EXPECT_FALSE(MarkupHasWatchId(U"ID=1234 x", "1234"));  // at the very start
  EXPECT_TRUE(MarkupHasWatchId(U"xID=1234 ID=12345", "12345"));
}

class ToggleWatchTest : public testing::Test {
 protected:
  void SetUp() override { app::DeleteAllProfileValues(); }
  void TearDown() override { app::DeleteAllProfileValues(); }
  static std::string Stored() { return GetProfileString("Watch", "20110309", "<absent>"); }
};

TEST_F(ToggleWatchTest, TwoClicksSetAndRemoveTheMarkAndNotifyWithTheLinksQuery) {
  WriteProfileString("Watch", "20110309", "004508GooTv,");
  const QUrl link(QStringLiteral("prp://watch/?ID=0123&TIME=5%3A00&TITLE=%92%A9%82%CC%83%6A+%26amp%3B%7E"));

  const ToggleOutcome first = ToggleWatch(link, kPage, kService);
  EXPECT_TRUE(first.recognised);
  EXPECT_TRUE(first.stored);
  EXPECT_TRUE(first.watched);
  EXPECT_EQ(Stored(), "004508GooTv,012308GooTv,");
  EXPECT_EQ(first.notification,
            kService + "?ID=0123&TIME=5%3A00&TITLE=%92%A9%82%CC%83%6A+%26amp%3B%7E&WATCH=Y&DATE=20110309");

  const ToggleOutcome second = ToggleWatch(link, kPage, kService);
  EXPECT_FALSE(second.watched);
  EXPECT_EQ(Stored(), "004508GooTv,");
  EXPECT_NE(second.notification.find("&WATCH=N&DATE=20110309"), std::string::npos);

  // The last mark of the day leaves an empty value behind.
  ToggleWatch(QUrl(QStringLiteral("prp://watch?ID=0045&TIME=1")), kPage, kService);
  EXPECT_EQ(Stored(), "");
  EXPECT_TRUE(ReadWatchKeys("20110309").empty());
}

TEST_F(ToggleWatchTest, LinksThatAreNotUsableOrPagesThatAreNotDataPagesStoreNothing) {
  const ToggleOutcome idLast = ToggleWatch(QUrl(QStringLiteral("prp://watch?TIME=1&ID=0123")), kPage, kService);
  EXPECT_FALSE(idLast.recognised);

  const ToggleOutcome header =
      ToggleWatch(QUrl(QStringLiteral("prp://watch?ID=0123&TIME=1")), "/data/Head/08GooTv.htm", kService);
  EXPECT_TRUE(header.recognised);
  EXPECT_FALSE(header.stored);
  EXPECT_TRUE(header.notification.empty());
  EXPECT_EQ(Stored(), "<absent>");
}

TEST_F(ToggleWatchTest, TheCommandLineToggleValidatesDateAndKey) {
  const ToggleOutcome set = ToggleWatchOfDay("20110309", "1234508GooTv");
  EXPECT_TRUE(set.recognised && set.stored && set.watched);
  EXPECT_EQ(Stored(), "1234508GooTv,");
  EXPECT_FALSE(ToggleWatchOfDay("20110309", "1234508GooTv").watched);
  for (const auto& [date, key] : std::vector<std::pair<std::string, std::string>>{{"2011039", "012308GooTv"},
                                                                                  {"2011030x", "012308GooTv"},
                                                                                  {"20110309", "01208GooTv"},
                                                                                  {"20110309", "012308Nothing"},
                                                                                  {"20110309", "0123GooTv"}})
    EXPECT_FALSE(ToggleWatchOfDay(date, key).recognised) << date << " " << key;
  EXPECT_EQ(Stored(), "");
}

}  // namespace
}  // namespace kanro::view
