// The dark stylesheet: light text stays readable on every background it
// gives a programme (at least 4.5:1), the genre tints, the watch frame and
// the keyword highlight stay apart from one another, and choosing the dark
// look brings the stylesheet along, also into a data folder older than it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <string>

#include "app/paths.h"
#include "frame/app_look.h"
#include "settings/css_page_model.h"
#include "settings_test_env.h"
#include "support/test_environment.h"
#include "text/text_file.h"

namespace kanro::settings {
namespace {

namespace fs = std::filesystem;

struct Rgb {
  double r, g, b;
};

std::optional<Rgb> ParseHex(const std::string& text) {
  if (text.size() != 7 || text[0] != '#') return std::nullopt;
  const auto channel = [&](size_t at) { return std::stoi(text.substr(at, 2), nullptr, 16) / 255.0; };
  return Rgb{channel(1), channel(3), channel(5)};
}

double Luminance(const Rgb& c) {
  const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
  return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

double Contrast(const Rgb& a, const Rgb& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The "#rrggbb" of the first declaration starting with the text given in the
// rule whose selector text is given ("a" finds "a { ... }", not "x a").
std::optional<Rgb> ColourOf(const std::string& css, const std::string& selector, const std::string& declaration) {
  size_t rule = css.find("\n" + selector + " {");
  if (rule == std::string::npos) return std::nullopt;
  const size_t end = css.find('}', rule);
  size_t at = css.find(declaration + ":", rule);
  if (at == std::string::npos || at > end) at = css.find(declaration + " ", rule);
  if (at == std::string::npos || at > end) return std::nullopt;
  const size_t hash = css.find('#', at);
  if (hash == std::string::npos || hash > css.find(';', at)) return std::nullopt;
  return ParseHex(css.substr(hash, 7));
}

class DarkStylesheetTest : public test::SettingsPageTest {
 protected:
  void SetUp() override {
    test::SettingsPageTest::SetUp();
    if (test::SourceDir().empty()) GTEST_SKIP() << "KANRO_SOURCE_DIR names the source tree";
    app::SetShippedDir(test::SourceDir() / "res");
    css_ = text::ReadFileBytes(test::SourceDir() / "res" / "Css" / "dark.css").value_or("");
    ASSERT_FALSE(css_.empty());
  }
  std::string css_;
};

TEST_F(DarkStylesheetTest, TextStaysReadableOnEveryBackgroundAndTheMarksStandApart) {
  const auto text = ColourOf(css_, ":where(table.program) td", "color");
  ASSERT_TRUE(text);
  std::map<std::string, Rgb> backgrounds;
  for (int genre = 0; genre <= 15; ++genre) {
    char selector[16];
    std::snprintf(selector, sizeof selector, ".genre_%02d", genre);
    const auto colour = ColourOf(css_, selector, "background");
    ASSERT_TRUE(colour) << selector;
    backgrounds[selector] = *colour;
  }
  for (const char* selector : {".genre_XX", ":where(table.program) td", "td.watch, .watch", "td.keyword, .keyword",
                               "td.watch.keyword, .watch.keyword"}) {
    const auto colour = ColourOf(css_, selector, "background");
    ASSERT_TRUE(colour) << selector;
    backgrounds[selector] = *colour;
  }
  const auto time = ColourOf(css_, "table.program td strong:first-child", "color");
  const auto link = ColourOf(css_, "a", "color");
  const auto iepg = ColourOf(css_, "a.iepg", "color");
  ASSERT_TRUE(time && link && iepg);
  for (const auto& [selector, background] : backgrounds) {
    EXPECT_GE(Contrast(*text, background), 4.5) << selector;
    EXPECT_GE(Contrast(*time, background), 4.5) << "start time on " << selector;
    EXPECT_GE(Contrast(*link, background), 4.5) << "link on " << selector;
    EXPECT_GE(Contrast(*iepg, background), 4.5) << "iEPG link on " << selector;
  }
  // The watch frame and the keyword bar stand out from whatever genre is
  // behind them (3:1, as for the parts of a control), and the marked and
  // highlighted backgrounds are no genre's.
  const auto frame = ColourOf(css_, "td.watch, .watch", "outline: 2px solid");
  const auto bar = ColourOf(css_, "td.keyword, .keyword", "box-shadow: inset 4px 0 0");
  ASSERT_TRUE(frame && bar);
  for (const auto& [selector, background] : backgrounds) {
    if (selector.rfind(".genre_", 0) != 0) continue;
    EXPECT_GE(Contrast(*frame, background), 3.0) << selector;
    EXPECT_GE(Contrast(*bar, background), 3.0) << selector;
    for (const char* mark : {"td.watch, .watch", "td.keyword, .keyword", "td.watch.keyword, .watch.keyword"}) {
      const Rgb& m = backgrounds[mark];
      const double distance = std::abs(m.r - background.r) + std::abs(m.g - background.g) + std::abs(m.b - background.b);
      EXPECT_GT(distance, 0.15) << mark << " against " << selector;
    }
  }
}

TEST_F(DarkStylesheetTest, TheStylesheetPageListsItWithItsDescription) {
  ASSERT_TRUE(CopyFileReplacing(test::SourceDir() / "res" / "Css" / "dark.css", app::CssFolder() / "dark.css"));
  const std::vector<StylesheetInfo> listed = ListStylesheets(app::CssFolder());
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].fileName, "dark.css");
  EXPECT_FALSE(listed[0].description.empty());
}

TEST_F(DarkStylesheetTest, TheDarkLookBringsItsStylesheetAndLeavingItBringsTheDefaultBack) {
  using frame::StylesheetForLook;
  EXPECT_EQ(StylesheetForLook(frame::kDarkLook, "default.css"), "dark.css");
  EXPECT_EQ(StylesheetForLook(frame::kDarkLook, "mine.css"), "dark.css");
  EXPECT_EQ(StylesheetForLook(frame::kDarkLook, "dark.css"), std::nullopt);
  EXPECT_EQ(StylesheetForLook(214, "dark.css"), "default.css");
  EXPECT_EQ(StylesheetForLook(216, "mine.css"), std::nullopt);  // the user's choice stays

  // A data folder from before the dark stylesheet: it is copied in first.
  ASSERT_FALSE(fs::exists(app::CssFolder() / "dark.css"));
  ASSERT_TRUE(ActivateStylesheet("dark.css"));
  EXPECT_EQ(text::ReadFileBytes(app::StylesheetPath()), css_);
  EXPECT_EQ(GetProfileString("TvProgram", "CssFile"), "dark.css");
  EXPECT_TRUE(fs::exists(app::CssFolder() / "dark.css"));
  // Nothing to copy: nothing changes.
  EXPECT_FALSE(ActivateStylesheet("missing.css"));
  EXPECT_EQ(GetProfileString("TvProgram", "CssFile"), "dark.css");

  EXPECT_TRUE(frame::IsDarkWindowColour(45, 45, 48));
  EXPECT_FALSE(frame::IsDarkWindowColour(239, 239, 242));
}

}  // namespace
}  // namespace kanro::settings
