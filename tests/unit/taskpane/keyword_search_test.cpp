#include "taskpane/keyword_search.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "app/clock.h"
#include "app/listing_time.h"
#include "support/temp_dir.h"
#include "text/codepage.h"
#include "text/regex.h"
#include "text/text_file.h"
#include "unit/taskpane/data_pages.h"

namespace kanro::taskpane {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteAll;

std::string Sjis(const std::string& utf8) { return text::Utf8ToCp932(utf8); }

// A data folder with pages written from UTF-8 text.
class KeywordSearchTest : public ::testing::Test {
 protected:
  void Page(const std::string& name, const std::string& utf8) { WriteAll(dir_.path() / name, Sjis(utf8)); }

  std::vector<KeywordResults> Search(const std::vector<std::string>& keywordsUtf8, int today = 20110309) {
    KeywordSearchRequest request;
    request.entries = entries_;
    for (const std::string& keyword : keywordsUtf8) request.keywords.push_back(Sjis(keyword));
    request.today = today;
    request.dataFolder = dir_.path();
    return RunKeywordSearch(request);
  }

  // One keyword's results as "key item text" lines (UTF-8), in map order.
  static std::vector<std::string> Lines(const KeywordResults& results) {
    std::vector<std::string> lines;
    for (const auto& [key, item] : results.results) lines.push_back(std::to_string(key) + " " + text::Cp932ToUtf8(item));
    return lines;
  }

  TempDir dir_{"kanro-search"};
  std::vector<std::string> entries_{"08GooTv", "13YahooFm", "47GooBsDisital"};
};

TEST_F(KeywordSearchTest, PagesAreChosenByNameAndKeyedByDateAndListPosition) {
  // Written in an order unlike the result order, so the folder's order cannot help.
  Page("2011031247GooBsDisital.htm", "<td>ニュース</td>");
  Page("2011031213YahooFm.htm", "<td>ニュース</td>");
  Page("2011031008GooTv.htm", "<td>朝のニュース</td>");
  Page("2011030908GooTv.htm", "<td>ニュース</td>");
  Page("2011030808GooTv.htm", "<td>ニュース</td>");         // before today
  Page("2011031001GooTv.htm", "<td>ニュース</td>");         // entry not listed
  Page("2011031008GooTvX.htm", "<td>ニュース</td>");        // entry not listed
  Page("2011031008Goo.htm", "<td>ニュース</td>");           // shorter than 15 bytes, not listed anyway
  Page("20110310.htm", "<td>ニュース</td>");                // too short
  Page("2011031008GooTv.html", "<td>ニュース</td>");        // not a .htm page
  Page("2011031108GooTv.htm", "<td>天気</td>");             // no match

  const auto results = Search({"ニュース"});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_TRUE(results[0].valid);
  EXPECT_EQ(Lines(results[0]), (std::vector<std::string>{
                                    "2011030900 03/09 東京都【地上波】",
                                    "2011031000 03/10 東京都【地上波】",
                                    "2011031201 03/12 栃木県【FMラジオ】",
                                    "2011031202 03/12 沖縄県【BSデジタル】",
                                }));
}

TEST_F(KeywordSearchTest, ListingDateFromTheClockTurnsAt0455) {
  // 03:00 on 10 March still belongs to the listing day of 9 March.
  app::SetClockForTesting([] { return app::FromLocalDate(2011, 3, 10, 3, 0, 0); });
  EXPECT_EQ(app::DateNumber(app::GetListingTime()), 20110309);
  app::SetClockForTesting([] { return app::FromLocalDate(2011, 3, 10, 4, 55, 0); });
  EXPECT_EQ(app::DateNumber(app::GetListingTime()), 20110310);
  app::SetClockForTesting({});

  Page("2011030908GooTv.htm", "<td>ニュース</td>");
  Page("2011031008GooTv.htm", "<td>ニュース</td>");
  EXPECT_EQ(Search({"ニュース"}, 20110310)[0].results.size(), 1u);
  EXPECT_EQ(Search({"ニュース"}, 20110309)[0].results.size(), 2u);
}

TEST_F(KeywordSearchTest, DuplicatedEntryUsesItsFirstPositionAndLateEntriesAreLeftOut) {
  entries_ = {"13YahooFm", "08GooTv", "13YahooFm"};
  Page("2011030913YahooFm.htm", "<td>ニュース</td>");
  EXPECT_EQ(Lines(Search({"ニュース"})[0]), std::vector<std::string>{"2011030900 03/09 栃木県【FMラジオ】"});

  // Position 100 would read back as the next day's first entry.
  entries_.assign(100, "01GooTv");
  entries_.push_back("02GooTv");
  entries_[99] = "03GooTv";
  Page("2011030902GooTv.htm", "<td>ニュース</td>");
  Page("2011030903GooTv.htm", "<td>ニュース</td>");
  EXPECT_EQ(Lines(Search({"ニュース"})[0]), std::vector<std::string>{"2011030999 03/09 秋田県【地上波】"});
}

TEST_F(KeywordSearchTest, OneResultPerPageEveryKeywordInListOrderInvalidOnesNamed) {
  Page("2011030908GooTv.htm", "<td>ドラマ 第1話</td>\r\n<td>ドラマ 第2話</td>\r\n<td>映画 (字幕)</td>\r\n");
  Page("2011031008GooTv.htm", "<td>映画</td>\r\n");
  const auto results = Search({"映画", "ドラマ", "存在しない番組", "映画(", "映画", "[z-a]", "第\\d話"});
  ASSERT_EQ(results.size(), 7u);
  EXPECT_EQ(text::Cp932ToUtf8(results[3].keyword), "映画(");
  EXPECT_EQ(results[0].results.size(), 2u);
  EXPECT_EQ(Lines(results[1]), std::vector<std::string>{"2011030900 03/09 東京都【地上波】"});
  EXPECT_TRUE(results[2].valid && results[2].results.empty());
  EXPECT_TRUE(!results[3].valid && !results[3].error.empty() && results[3].results.empty());
  EXPECT_EQ(results[4].results, results[0].results);  // a repeated keyword keeps its own place
  EXPECT_FALSE(results[5].valid);
  EXPECT_TRUE(results[6].valid);
  EXPECT_EQ(results[6].results.size(), 1u);
}

TEST_F(KeywordSearchTest, EmptyListEmptyFolderAndUnreadablePages) {
  Page("2011030908GooTv.htm", "<td>映画</td>");
  EXPECT_TRUE(Search({}).empty());

  // Pages that cannot be read are passed over without a word.
  fs::create_directory(dir_.path() / "2011031008GooTv.htm");
  fs::create_symlink(dir_.path() / "missing", dir_.path() / "2011031108GooTv.htm");
  const auto results = Search({"映画", ""});
  EXPECT_EQ(results[0].results.size(), 1u);
  EXPECT_EQ(results[1].results.size(), 1u);  // the empty keyword matches every line

  KeywordSearchRequest request;
  request.keywords = {Sjis("映画")};
  request.entries = entries_;
  request.dataFolder = dir_.path() / "no such folder";
  const auto none = RunKeywordSearch(request);
  ASSERT_EQ(none.size(), 1u);
  EXPECT_TRUE(none[0].results.empty());
}

// Whether a line of the file matches, trying every line on its own: what the
// search must agree with.
bool NaivePageMatches(const fs::path& page, const text::WRegex& regex) {
  const auto lines = text::ReadLines(page);
  if (!lines) return false;
  for (const std::string& line : *lines)
    if (regex.Search(text::Cp932ToWide(line))) return true;
  return false;
}

// Checks the search against the naive one for every keyword and page, with
// pages read whole and with pages streamed line by line.
void ExpectSameAsNaive(const fs::path& folder, const std::vector<std::string>& pageNames,
                       const std::vector<std::string>& keywordsUtf8) {
  KeywordSearchRequest request;
  request.entries = {"08GooTv"};
  for (const std::string& keyword : keywordsUtf8) request.keywords.push_back(text::Utf8ToCp932(keyword));
  request.today = 0;
  request.dataFolder = folder;
  for (const uintmax_t wholePageLimit : {request.wholePageLimit, uintmax_t{0}}) {
    request.wholePageLimit = wholePageLimit;
    const auto results = RunKeywordSearch(request);
    ASSERT_EQ(results.size(), keywordsUtf8.size());
    for (size_t k = 0; k < keywordsUtf8.size(); ++k) {
      const text::WRegex regex(text::Utf8ToWide(keywordsUtf8[k]));
      ASSERT_TRUE(regex.valid()) << keywordsUtf8[k];
      std::set<ResultKey> expected;
      for (const std::string& name : pageNames)
        if (NaivePageMatches(folder / name, regex)) expected.insert(std::stoll(name.substr(0, 8)) * 100);
      std::set<ResultKey> got;
      for (const auto& [key, item] : results[k].results) got.insert(key);
      EXPECT_EQ(got, expected) << "keyword " << keywordsUtf8[k] << ", pages streamed: " << (wholePageLimit == 0);
    }
  }
}

TEST_F(KeywordSearchTest, MatchesThatWouldRunOverLineEndsCountOnlyWithinOneLine) {
  // Joined, these would match "ドラマ\s+映画", "[^<]+映画" or "マ.?.?映" across
  // the line end; line by line they must not, unless a later line matches.
  Page("2011030908GooTv.htm", "<td>ドラマ\r\n映画</td>\r\n");
  Page("2011031008GooTv.htm", "<td>ドラマ\r\n映画</td>\r\n<td>ドラマ 映画</td>");
  Page("2011031108GooTv.htm", "ドラマ\n\n映画\r\n");
  Page("2011031208GooTv.htm", "a\r\n\r\n");
  Page("2011031308GooTv.htm", "");
  Page("2011031408GooTv.htm", "\r\n");
  const std::vector<std::string> names = {"2011030908GooTv.htm", "2011031008GooTv.htm", "2011031108GooTv.htm",
                                          "2011031208GooTv.htm", "2011031308GooTv.htm", "2011031408GooTv.htm"};
  ExpectSameAsNaive(dir_.path(), names,
                    {"ドラマ\\s+映画", "[^<]+映画", "マ[^]?[^]?映", "ドラマ[\\s\\S]*映画", "^映画", "ドラマ$",
                     "(?=映画)", "\\b映", "^$", "", "a\\s*$", "\\s", "[^]", "(ドラマ)\\s*\\1"});

  // Two of the pages do have the keyword on one line.
  const auto results = Search({"ドラマ\\s+映画"});
  EXPECT_EQ(results[0].results.size(), 1u);
  EXPECT_EQ(results[0].results.begin()->first, 2011031000);
}

TEST_F(KeywordSearchTest, LineEndsAndBrokenBytesAreReadAsTextReadingReadsThem) {
  // CR LF, LF, a lone CR inside a line, a CR before the end of the file, and a
  // lead byte cut off by the line end.
  WriteAll(dir_.path() / "2011030908GooTv.htm", Sjis("<td>映画\r</td>\r\n<td>ドラマ\r\r\n<td>字幕") + "\x83\r\n\x83\n");
  WriteAll(dir_.path() / "2011031008GooTv.htm", Sjis("天気\r\n予報\r"));
  WriteAll(dir_.path() / "2011031108GooTv.htm", "\x82\r\n\xA0\x82");
  ExpectSameAsNaive(dir_.path(), {"2011030908GooTv.htm", "2011031008GooTv.htm", "2011031108GooTv.htm"},
                    {"映画\\r", "映画\\s<", "ドラマ\\r", "ドラマ\\r$", "幕\\u30FB", "\\u30FB$", "^\\u30FB$", "\\u30FB\\s",
                     "報\\r", "報$", "予報\\s", "\\r$", "^$"});
}

TEST_F(KeywordSearchTest, SameResultsAsTheLineByLineSearchOnGeneratedPages) {
  std::vector<std::string> names;
  for (int day = 1; day <= 6; ++day) {
    char name[32];
    std::snprintf(name, sizeof name, "201103%02d08GooTv.htm", day);
    names.push_back(name);
    test::DataPageMaker maker(static_cast<uint32_t>(day));
    WriteAll(dir_.path() / name, maker.Make(20000 + static_cast<size_t>(day) * 3000, day % 2 ? "\r\n" : "\n"));
  }
  ExpectSameAsNaive(dir_.path(), names,
                    {"ニュース", "存在しない番組", "【新】.*", "ドラマ.*最終回", "サッカー|野球|ゴルフ", "第[0-9]+話",
                     "天気予報\\s+映画", "映画\\s+ドラマ", "</td>\\s+<td", "</tr>\\s*<tr>", "ＮＨＫ[^<]*料理", "^<tr>.*</tr>$",
                     "(?!<td)ニュース", "\\bNews\\b", "SPORTS\\s*drama", "[^>]*アニメ[^<]*将棋", "Live[\\s\\S]{0,40}科学",
                     "(字幕).*\\1", "ｱﾆﾒ", "①|Ⅱ", "（終）$", "\\u3000\\u3000", "～\\s{2}"});
}

// A keyword that would search one page for minutes is given up on that page
// and, after a few such pages, on the rest; other keywords are not affected.
TEST_F(KeywordSearchTest, AKeywordOverItsTimeBudgetIsSkippedForThatPage) {
  const std::string slowLine = "<td>" + std::string(20000, 'a') + "</td>";
  for (const char* name : {"2011030908GooTv.htm", "2011031008GooTv.htm", "2011031108GooTv.htm",
                           "2011031208GooTv.htm", "2011031308GooTv.htm"})
    Page(name, slowLine + "\n<td>ニュース</td>\n" + slowLine);
  const auto results = Search({"(?:.|.){0,14}>>", "ニュース"});
  ASSERT_EQ(results.size(), 2u);
  EXPECT_TRUE(results[0].results.empty());
  EXPECT_EQ(results[0].pagesOverBudget, kMaxPagesOverBudget);
  EXPECT_TRUE(results[0].gaveUp);
  EXPECT_EQ(results[1].results.size(), 5u);
  EXPECT_EQ(results[1].pagesOverBudget, 0u);
  EXPECT_FALSE(results[1].gaveUp);
}

}  // namespace
}  // namespace kanro::taskpane
