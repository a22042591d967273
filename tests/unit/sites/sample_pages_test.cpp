// The sample page generator: pages that exercise every site rewrite, exact
// sizes, deterministic bytes, its EUC-JP encoder and its address parsing.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "listing/euc_to_sjis.h"
#include "sites/goo_html_creater.h"
#include "sites/sample_pages.h"
#include "sites/yahoo_html_creater.h"
#include "text/codepage.h"
#include "text/regex.h"

namespace kanro::sites {
namespace {

SamplePageOptions Options(const char* key, const char* code, size_t bytes = 0) {
  SamplePageOptions options;
  options.typeKey = key;
  options.locationCode = code;
  options.targetBytes = bytes;
  return options;
}

// The page's lines in CP932, as the converters see them.
std::vector<std::string> Cp932Lines(const SamplePageOptions& options) {
  std::string page = GenerateSamplePage(options);
  std::vector<std::string> lines;
  std::istringstream in(page);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(IsGooSampleType(options.typeKey) ? listing::EucJpToCp932(line) : text::Utf8ToCp932(line));
  }
  return lines;
}

TEST(SamplePagesTest, EveryGooAndYahooRewriteFindsSomethingToRewrite) {
  struct Case {
    const char* key;
    const char* code;
    const std::vector<SiteRewrite>* rewrites;
  };
  for (const Case& c : {Case{"GooTv", "008", &CGooHtmlCreater::Rewrites()},
                        Case{"GooBsDisital", "013", &CGooHtmlCreater::Rewrites()},
                        Case{"GooUhfBs", "047", &CGooHtmlCreater::Rewrites()},
                        Case{"YahooAm", "23", &CYahooHtmlCreater::Rewrites()},
                        Case{"YahooFm", "62", &CYahooHtmlCreater::Rewrites()}}) {
    std::vector<std::string> lines = Cp932Lines(Options(c.key, c.code));
    const std::vector<SiteRewrite>& rewrites = *c.rewrites;
    ASSERT_GE(rewrites.size(), 9u);
    std::vector<text::Regex> patterns;
    for (const SiteRewrite& rewrite : rewrites) patterns.emplace_back(rewrite.pattern);
    // Each line goes through the rewrites in order, as a converter applies them,
    // once with links removed and once with links kept.
    std::vector<bool> fired(rewrites.size(), false);
    for (bool removeAnchor : {true, false}) {
      for (std::string line : lines) {
        for (size_t i = 0; i < rewrites.size(); ++i) {
          RewriteWhen when = rewrites[i].when;
          if ((when == RewriteWhen::RemoveAnchor && !removeAnchor) || (when == RewriteWhen::KeepAnchor && removeAnchor))
            continue;
          if (!patterns[i].Contains(line)) continue;
          fired[i] = true;
          line = patterns[i].ReplaceAll(line, rewrites[i].replacement);
        }
      }
    }
    for (size_t i = 0; i < rewrites.size(); ++i) EXPECT_TRUE(fired[i]) << c.key << ": " << rewrites[i].pattern;
  }
}

TEST(SamplePagesTest, CarriesTheRegionMarkersAndNewSeriesMarks) {
  std::string goo = listing::EucJpToCp932(GenerateSamplePage(Options("GooTv", "008")));
  for (const char* marker : {"<!--ch_top-->", "<!--/ch_top-->", "<!--ch_bottom-->", "/tv/img/icon/shinban.gif",
                             "iepg.tvpi", "G:"})
    EXPECT_NE(goo.find(marker), std::string::npos) << marker;
  EXPECT_LT(goo.find("<!--ch_top-->"), goo.find("<!--/ch_top-->"));
  EXPECT_LT(goo.find("<!--/ch_top-->"), goo.find("<!--ch_bottom-->"));

  std::string yahoo = GenerateSamplePage(Options("YahooAm", "23"));
  EXPECT_NE(yahoo.find("\t<tr bgcolor = \"#FFFFFF\"><td class=\"scroller\" rowspan='60' width='1%' align='center'>5</td>"),
            std::string::npos);
  EXPECT_NE(yahoo.find("</td></tr></table>"), std::string::npos);
}

TEST(SamplePagesTest, EveryScheduledProgrammeIsOnThePageAndTheDayIsCovered) {
  SamplePageOptions options = Options("GooTv", "008");
  std::string page = text::Cp932ToUtf8(listing::EucJpToCp932(GenerateSamplePage(options)));
  std::vector<SampleProgramme> schedule = SampleSchedule(options);
  ASSERT_GT(schedule.size(), 100u);
  std::vector<int> reached(SampleChannels("GooTv").size(), 5 * 60);
  for (const SampleProgramme& p : schedule) {
    EXPECT_NE(page.find("<strong>" + p.timeText + "</strong> <strong>"), std::string::npos);
    EXPECT_NE(page.find(p.title + "</strong>"), std::string::npos) << p.title;
    EXPECT_EQ(p.startMinute, reached[static_cast<size_t>(p.channel)]) << "no gaps or overlaps";
    reached[static_cast<size_t>(p.channel)] += p.durationMinutes;
  }
  for (int end : reached) EXPECT_EQ(end, 29 * 60);
}

TEST(SamplePagesTest, SameOptionsSameBytesAndTargetSizesAreExact) {
  for (const char* key : {"GooTv", "YahooFm"}) {
    SamplePageOptions options = Options(key, "008");
    EXPECT_EQ(GenerateSamplePage(options), GenerateSamplePage(options));
    SamplePageOptions otherDay = options;
    otherDay.day = 10;
    EXPECT_NE(GenerateSamplePage(options), GenerateSamplePage(otherDay));

    for (size_t bytes : {150000u, 300001u, 1000000u}) {
      options.targetBytes = bytes;
      EXPECT_EQ(GenerateSamplePage(options).size(), bytes) << key;
    }
    options.targetBytes = 10;
    EXPECT_GT(GenerateSamplePage(options).size(), 10u) << "too small a target gives the natural page";
  }
  // Growing a page keeps its programmes: the schedule ignores the size.
  SamplePageOptions small = Options("GooTv", "008");
  SamplePageOptions big = Options("GooTv", "008", 500000);
  EXPECT_EQ(SampleSchedule(small).size(), SampleSchedule(big).size());
}

TEST(SamplePagesTest, LineEndsFollowTheOptions) {
  SamplePageOptions options = Options("YahooAm", "23");
  std::string lf = GenerateSamplePage(options);
  EXPECT_EQ(lf.find('\r'), std::string::npos);
  options.lineEnd = SampleLineEnd::CrLf;
  std::string crlf = GenerateSamplePage(options);
  size_t lines = static_cast<size_t>(std::count(lf.begin(), lf.end(), '\n'));
  EXPECT_EQ(static_cast<size_t>(std::count(crlf.begin(), crlf.end(), '\r')), lines);
  options.lineEnd = SampleLineEnd::Mixed;
  std::string mixed = GenerateSamplePage(options);
  size_t cr = static_cast<size_t>(std::count(mixed.begin(), mixed.end(), '\r'));
  EXPECT_GT(cr, 0u);
  EXPECT_LT(cr, lines);
}

TEST(SamplePagesTest, EucJpEncoderIsTheInverseOfTheDecoderOnJisX0208) {
  // Every two-byte code of the 94 JIS rows comes back unchanged.
  std::string all;
  for (int lead = 0x81; lead <= 0xEF; ++lead) {
    if (lead > 0x9F && lead < 0xE0) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      all += static_cast<char>(lead);
      all += static_cast<char>(trail);
    }
  }
  std::string euc = Cp932ToEucJp(all);
  ASSERT_EQ(euc.size(), all.size());
  for (unsigned char c : euc) EXPECT_GE(c, 0xA1);
  EXPECT_EQ(listing::EucJpToCp932(euc), all);

  EXPECT_EQ(Cp932ToEucJp("ASCII <a href=\"/\">"), "ASCII <a href=\"/\">");
  EXPECT_EQ(Cp932ToEucJp("\xB1\xDF"), "\x8E\xB1\x8E\xDF") << "half-width katakana";
  EXPECT_EQ(Cp932ToEucJp("\x82\xA0"), "\xA4\xA2") << "hiragana a";
  EXPECT_EQ(Cp932ToEucJp("\xF0\x40"), "\xA2\xAE") << "user-defined area has no EUC-JP place";
  EXPECT_EQ(Cp932ToEucJp("a\x82"), "a\xA2\xAE") << "a cut-off lead byte";
}

TEST(SamplePagesTest, AddressesMapToOptionsAndBack) {
  for (const char* key : {"GooTv", "GooBsDisital", "GooUhfBs", "YahooAm", "YahooFm"}) {
    SamplePageOptions options = Options(key, key[0] == 'G' ? "013" : "28");
    options.year = 2012;
    options.month = 2;
    options.day = 29;
    std::optional<SamplePageOptions> back = SampleOptionsForTarget(SampleTargetFor(options));
    ASSERT_TRUE(back.has_value()) << key;
    EXPECT_EQ(back->typeKey, key);
    EXPECT_EQ(back->locationCode, options.locationCode);
    EXPECT_EQ(back->year * 10000 + back->month * 100 + back->day, 20120229);
  }
  EXPECT_TRUE(SampleOptionsForTarget("/listings/?d=20110309&t=FM&a=23").has_value()) << "any query order";
  for (const char* bad :
       {"/", "/contents/epg/008/VHF_2/20110309_0024/index.html", "/contents/epg/008/VHF_1/2011030_0024/index.html",
        "/contents/epg/abc/VHF_1/20110309_0024/index.html", "/contents/epg/008/VHF_1/20111309_0024/index.html",
        "/listings/?&type=normal&a=23&t=TV&d=20110309", "/listings/?a=23&t=AM", "/contents/epg/008"})
    EXPECT_FALSE(SampleOptionsForTarget(bad).has_value()) << bad;
}

}  // namespace
}  // namespace kanro::sites

namespace kanro::sites {
namespace {

TEST(SamplePagesTest, RealisticPagesFitTitlesToTheirSlotsAndKeepExactSizes) {
  for (const char* key : {"GooTv", "GooBsDisital", "GooUhfBs", "YahooAm", "YahooFm"}) {
    for (int day : {1, 9, 28}) {
      SamplePageOptions options = Options(key, IsGooSampleType(key) ? "025" : "40");
      options.day = day;
      options.realistic = true;
      std::vector<int> reached(SampleChannels(key).size(), 5 * 60);
      for (const SampleProgramme& p : SampleSchedule(options)) {
        const int hour = p.startMinute / 60;
        EXPECT_EQ(p.startMinute, reached[static_cast<size_t>(p.channel)]) << key << " no gaps or overlaps";
        reached[static_cast<size_t>(p.channel)] += p.durationMinutes;
        if (p.title.find("朝") != std::string::npos) {
          EXPECT_LE(hour, 9) << key << " " << p.timeText << " " << p.title;
        }
        if (p.title.find("深夜") != std::string::npos) {
          EXPECT_GE(hour, 23) << key << " " << p.title;
        }
        if (p.genre == 6) {
          EXPECT_GE(p.durationMinutes, 90) << key << " " << p.title;
        }
      }
      for (int end : reached) EXPECT_EQ(end, 29 * 60) << key;

      const std::string page = GenerateSamplePage(options);
      EXPECT_NE(page.find("class=\"desc\""), std::string::npos) << key;
      options.targetBytes = 400000;
      EXPECT_EQ(GenerateSamplePage(options).size(), 400000u) << key;
    }
  }
}

}  // namespace
}  // namespace kanro::sites
