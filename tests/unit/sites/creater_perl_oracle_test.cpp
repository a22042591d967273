// Generated listing pages of all five types, converted under every setting,
// against perl doing the same conversion from the same rewrite table: perl's
// regex engine and Encode must agree with the converters byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "creater_perl_program.h"
#include "site_creater_fixture.h"
#include "sites/goo_html_creater.h"
#include "sites/sample_pages.h"
#include "sites/yahoo_html_creater.h"
#include "support/process.h"

namespace kanro::sites {
namespace {

namespace fs = std::filesystem;

fs::path FindPerl() {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const fs::path candidate = fs::path(folder) / "perl";
    if (!folder.empty() && fs::exists(candidate)) return candidate;
  }
  return {};
}

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

// The user's rules for this test: the two defaults and two of a user's own,
// with Japanese text, groups and a rule that sees the previous one's output.
const std::vector<std::pair<std::string, std::string>> kRules = {
    {"alt=\".*?\"", ""},
    {"shinban.gif.*?>(.*?)</strong>..*?</a>", "$0<span style=\"display: none;\">【新】$1</span>"},
    {"([0-9]+):([0-9][0-9])</strong>", "$1時$2分</strong>"},
    {"時([0-9])", "時 $1"},
};

using PerlOracleTest = SiteCreaterTest;

TEST_P(PerlOracleTest, GeneratedPagesMatchPerl) {
  const fs::path perl = FindPerl();
  if (perl.empty()) GTEST_SKIP() << "perl is not installed";
  std::string rulesFile;
  for (const auto& [pattern, replacement] : kRules) rulesFile += Sjis(pattern + "\t" + replacement + "\t1\r\n");
  test::WriteAll(app::RulesPath(), rulesFile);

  for (const bool yahoo : {false, true}) {
    const fs::path in = dir_ / (yahoo ? "yahoo-in" : "goo-in");
    const fs::path perlOut = dir_ / (yahoo ? "yahoo-perl" : "goo-perl");
    fs::create_directories(in);
    std::vector<std::string> names;
    const std::vector<std::string> keys =
        yahoo ? std::vector<std::string>{"YahooAm", "YahooFm"} : std::vector<std::string>{"GooTv", "GooBsDisital", "GooUhfBs"};
    for (const std::string& key : keys) {
      for (const SampleLineEnd lineEnd : {SampleLineEnd::Lf, SampleLineEnd::CrLf, SampleLineEnd::Mixed}) {
        SamplePageOptions sample;
        sample.typeKey = key;
        sample.locationCode = yahoo ? "23" : "008";
        sample.lineEnd = lineEnd;
        sample.seed = static_cast<uint32_t>(names.size() + 1);
        sample.targetBytes = names.size() % 2 ? 120000 : 0;
        const std::string name = key + std::to_string(names.size());
        ASSERT_TRUE(WriteSamplePage(in / name, sample));
        names.push_back(name);
      }
    }
    fs::copy(in, perlOut);
    test::PerlConverterOptions options;
    options.yahoo = yahoo;
    options.removeAnchor = GetParam().removeAnchor;
    options.gcode = GetParam().gcode;
    options.rules = kRules;
    test::WriteAll(dir_ / "convert.pl", test::PerlConverterProgram(options));
    std::vector<std::string> args = {"-p", "-i", (dir_ / "convert.pl").string()};
    for (const std::string& name : names) args.push_back((perlOut / name).string());
    const auto result = test::RunProcess(perl, args);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");

    for (const std::string& name : names) {
      SCOPED_TRACE(name);
      std::unique_ptr<listing::CHtmlCreater> creater;
      if (yahoo)
        creater = std::make_unique<CYahooHtmlCreater>();
      else
        creater = std::make_unique<CGooHtmlCreater>();
      const std::vector<std::string> lines = SplitCrLf(test::ReadAll(perlOut / name));
      ASSERT_FALSE(lines.empty());
      std::vector<std::string> headLines;
      for (const std::string& line : lines) {
        if (line == "</thead>") break;
        headLines.push_back(line);
      }
      ASSERT_TRUE(creater->CreateHead(in / name, dir_ / (name + "-head.htm")));
      ASSERT_TRUE(creater->CreateData(in / name, dir_ / (name + "-data.htm"), title_));
      EXPECT_EQ(test::ReadAll(dir_ / (name + "-head.htm")), HeadPage(headLines));
      EXPECT_EQ(test::ReadAll(dir_ / (name + "-data.htm")), DataPage(title_, lines));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllSettings, PerlOracleTest, AllPageSettings(), PageSettingsName());

}  // namespace
}  // namespace kanro::sites
