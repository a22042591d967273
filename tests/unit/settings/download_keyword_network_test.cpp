// The download, keyword and network page models against the real settings
// store and Keyword.txt.
#include <gtest/gtest.h>

#include "net/blowfish.h"
#include "settings/download_page_model.h"
#include "settings/keyword_page_model.h"
#include "settings/network_page_model.h"
#include "settings/setting_sheet_model.h"
#include "settings/storable_text.h"
#include "settings_test_env.h"
#include "text/codepage.h"

namespace {

using namespace kanro::settings;
using kanro::test::ReadAll;
using kanro::test::WriteAll;
using kanro::text::Utf8ToCp932;
using Page = kanro::test::SettingsPageTest;

TEST_F(Page, RegionTreeCoversAllPrefecturesInTableOrder) {
  std::vector<RegionGroup> tree = RegionTree();
  ASSERT_EQ(tree.size(), 6u);
  EXPECT_EQ(tree[0].name, Utf8ToCp932("北海道/東北"));
  int expected = 1;
  for (const RegionGroup& group : tree)
    for (int n : group.prefectures) EXPECT_EQ(n, expected++);
  EXPECT_EQ(expected, 48);
  EXPECT_EQ(ProgrammeLabel({1, 0}), Utf8ToCp932("北海道[地上波]"));
}

TEST_F(Page, ProgrammeListDropsMalformedItemsAndRoundTrips) {
  std::vector<ProgrammeItem> items =
      ParseProgrammeList("-1YahooAm,99GooTv,\"08GooTv\",13YahooFm,00GooTv,47GooBsDisital,13yahoofm,13YahooFm,1GooTv,");
  ASSERT_EQ(items.size(), 4u);  // the quoted item is unquoted by the tokenizer
  EXPECT_EQ(items[0], (ProgrammeItem{8, 0}));
  EXPECT_EQ(items[1], (ProgrammeItem{13, 4}));
  EXPECT_EQ(items[2], (ProgrammeItem{47, 1}));
  EXPECT_EQ(items[3], (ProgrammeItem{13, 4}));  // stored duplicates are shown
  EXPECT_EQ(FormatProgrammeList(items), "08GooTv,13YahooFm,47GooBsDisital,13YahooFm,");
}

TEST_F(Page, DownloadDefaultsAndUntouchedValuesSurviveOk) {
  {
    DownloadPageModel model;
    EXPECT_EQ(model.m_bDetail, 1);
    EXPECT_EQ(model.m_nDays, 8);
    EXPECT_EQ(model.m_nWaitSec, 3);
    EXPECT_EQ(model.DaysIndex(), 7);
  }
  WriteProfileInt("Download", "Days", 0);
  WriteProfileInt("Download", "WaitSec", 100);
  WriteProfileString("Download", "Programs", "08GooTv,99Bad,");
  for (int round = 0; round < 2; ++round) {
    DownloadPageModel model;
    EXPECT_EQ(model.DaysIndex(), -1);
    ASSERT_TRUE(model.Save());
  }
  EXPECT_EQ(GetProfileInt("Download", "Days", 8), 0);
  EXPECT_EQ(GetProfileInt("Download", "WaitSec", 3), 100);
  EXPECT_EQ(GetProfileString("Download", "Programs"), "08GooTv,99Bad,");
}

TEST_F(Page, DownloadListEditing) {
  WriteProfileString("Download", "Programs", "08GooTv,13YahooAm,");
  DownloadPageModel model;
  EXPECT_FALSE(model.Add({8, 0}));
  EXPECT_TRUE(model.Add({1, 2}));
  EXPECT_FALSE(model.Add({48, 0}));
  EXPECT_EQ(model.Remove(2), 1);  // the last: the new last is selected
  EXPECT_EQ(model.Remove(0), 0);
  EXPECT_EQ(model.Remove(0), -1);  // the only one: nothing left to select
  EXPECT_EQ(model.Remove(0), -1);
  ASSERT_TRUE(model.Save());
  EXPECT_EQ(GetProfileString("Download", "Programs", "absent"), "absent");
  DownloadPageModel again;
  again.Add({27, 3});
  again.ChooseDays(2);
  ASSERT_TRUE(again.Save());
  EXPECT_EQ(GetProfileString("Download", "Programs"), "27YahooAm,");
  EXPECT_EQ(GetProfileInt("Download", "Days", 8), 3);
}

TEST_F(Page, SourceEntriesAndTheirAddressesAreOfferedAndStoredOnlyWhenChanged) {
  DownloadPageModel model;
  EXPECT_EQ(model.m_strTunerUrl, "http://localhost:40772/");
  EXPECT_EQ(model.m_strXmltvUrl, "");
  ASSERT_TRUE(model.Add({13, 5}));
  ASSERT_TRUE(model.Add({13, 8}));
  EXPECT_EQ(ProgrammeLabel({13, 5}), ProgrammeLabel({13, 0}).substr(0, ProgrammeLabel({13, 0}).find('[')) +
                                         Utf8ToCp932("[地デジ(チューナー)]"));
  ASSERT_TRUE(model.Save());
  EXPECT_EQ(GetProfileString("Download", "Programs"), "13TunerGr,13Xmltv,");
  EXPECT_EQ(GetProfileString("URL", "Tuner", "absent"), "absent") << "the default is not written";
  model.m_strTunerUrl = "http://tuner.local:40772/";
  model.m_strXmltvUrl = Utf8ToCp932("/home/ユーザー/guide.xml");
  ASSERT_TRUE(model.Save());
  EXPECT_EQ(GetProfileString("URL", "Tuner"), "http://tuner.local:40772/");
  EXPECT_EQ(GetProfileString("URL", "Xmltv"), Utf8ToCp932("/home/ユーザー/guide.xml"));
  DownloadPageModel again;
  EXPECT_EQ(ParseProgrammeList(GetProfileString("Download", "Programs")),
            (std::vector<ProgrammeItem>{{13, 5}, {13, 8}}));
  again.m_strXmltvUrl.clear();
  ASSERT_TRUE(again.Save());
  EXPECT_EQ(GetProfileString("URL", "Xmltv", "absent"), "absent");
}

TEST_F(Page, KeywordListOperationsAndButtonStates) {
  WriteAll(kanro::app::KeywordsPath(), "a\r\nb\r\nc\r\n");
  KeywordPageModel model;
  EXPECT_FALSE(model.CanDelete() || model.CanMoveUp() || model.CanMoveDown());
  model.Select(0);
  EXPECT_FALSE(model.CanMoveUp());
  EXPECT_TRUE(model.CanMoveDown());
  model.MoveDown();
  model.MoveDown();
  EXPECT_EQ(model.Items(), (std::vector<std::string>{"b", "c", "a"}));
  EXPECT_FALSE(model.CanMoveDown());
  model.Select(0);
  model.Delete();
  EXPECT_EQ(model.Selected(), 0);  // after the first, the new first
  const int added = model.Add();
  EXPECT_EQ(added, 2);
  std::string message;
  EXPECT_FALSE(model.SetText(added, "x\ty", &message));
  EXPECT_FALSE(message.empty());
  EXPECT_FALSE(model.SetText(added, "\xF0\x9F\x98\x80", &message));  // no CP932 form
  ASSERT_TRUE(model.SetText(added, "c", &message));
  ASSERT_TRUE(model.SetText(0, "(", &message));
  ASSERT_EQ(model.InvalidPatterns().size(), 1u);
  ASSERT_TRUE(model.Save());
  EXPECT_EQ(ReadAll(kanro::app::KeywordsPath()), "(\r\na\r\nc\r\n");
}

TEST_F(Page, KeywordFileIsNotRewrittenWhenUnchanged) {
  const std::string original = "a\n\nb";  // LF ends, an empty line, no last line end
  WriteAll(kanro::app::KeywordsPath(), original);
  KeywordPageModel model;
  model.Add();  // left empty: not saved
  ASSERT_TRUE(model.Save());
  // The empty line is dropped, so the file is written.
  EXPECT_EQ(ReadAll(kanro::app::KeywordsPath()), "a\r\nb\r\n");
  KeywordPageModel again;
  ASSERT_TRUE(again.Save());
  EXPECT_EQ(ReadAll(kanro::app::KeywordsPath()), "a\r\nb\r\n");
}

TEST_F(Page, NetworkModeMappingAndPasswordLengths) {
  EXPECT_EQ(ModeFromAccessType(4), ProxyMode::System);
  EXPECT_EQ(ModeFromAccessType(1), ProxyMode::Direct);
  EXPECT_EQ(ModeFromAccessType(3), ProxyMode::Manual);
  WriteProfileInt("Network", "AccessType", 4);
  {
    NetworkPageModel model;
    ASSERT_TRUE(model.Save());
  }
  EXPECT_EQ(GetProfileInt("Network", "AccessType", 9), 0);
  for (auto [length, bytes] : {std::pair{7u, 8u}, {8u, 16u}, {20u, 24u}, {0u, 0u}}) {
    NetworkPageModel model;
    std::string message;
    ASSERT_TRUE(model.SetTexts("proxy", "80a80", "user", std::string(length, 'p'), &message));
    model.m_mode = ProxyMode::Manual;
    ASSERT_TRUE(model.Save());
    EXPECT_EQ(GetProfileBinary("Network", "ProxyPass").value_or("").size(), bytes) << length;
    EXPECT_EQ(GetProfileString("Network", "ProxyPort"), "8080");
    NetworkPageModel reopened;
    EXPECT_EQ(reopened.m_strPassword, std::string(length, 'p'));
    EXPECT_EQ(reopened.m_mode, ProxyMode::Manual);
  }
  NetworkPageModel model;
  std::string message;
  EXPECT_FALSE(model.SetTexts("proxy", "80", "user", "\xE2\x82\xAC\xE2\x82\xAC", &message));  // "€€"
}

TEST_F(Page, AnUndecipherablePasswordIsKeptWhenUntouched) {
  WriteProfileBinary("Network", "ProxyPass", "12345");
  NetworkPageModel model;
  EXPECT_EQ(model.m_strPassword, "");
  ASSERT_TRUE(model.Save());
  EXPECT_EQ(GetProfileBinary("Network", "ProxyPass").value_or(""), "12345");
}

// A page whose save is recorded.
struct RecordingPage : SettingPageModel {
  std::vector<InvalidPattern> invalid;
  std::vector<int>* saves;
  int id;
  RecordingPage(std::vector<int>* s, int i) : saves(s), id(i) {}
  std::vector<InvalidPattern> InvalidPatterns() const override { return invalid; }
  bool Save() override {
    saves->push_back(id);
    return true;
  }
};

TEST_F(Page, SheetSavesAllOrNothing) {
  std::vector<int> saves;
  RecordingPage first(&saves, 0), third(&saves, 2);
  third.invalid.push_back({"(", "missing )"});
  int asked = 0;
  SheetOkResult back = ConfirmPages({{0, &first}, {2, &third}}, [&](const std::vector<InvalidPattern>& list) {
    ++asked;
    EXPECT_NE(InvalidPatternQuestion(list).find("missing )"), std::string::npos);
    return false;
  });
  EXPECT_FALSE(back.saved);
  EXPECT_EQ(back.pageToShow, 2);
  EXPECT_TRUE(saves.empty());
  SheetOkResult ok = ConfirmPages({{0, &first}, {2, &third}}, [&](const auto&) { return ++asked, true; });
  EXPECT_TRUE(ok.saved);
  EXPECT_EQ(saves, (std::vector<int>{0, 2}));
  EXPECT_EQ(asked, 2);
}

TEST_F(Page, StorableTextKeepsJapaneseAndRefusesWhatFilesCannotHold) {
  std::string message;
  EXPECT_EQ(ToStorableText("ニュース?", LineBreaks::Refuse, &message), Utf8ToCp932("ニュース?"));
  EXPECT_FALSE(ToStorableText("a\nb", LineBreaks::Refuse, &message));
  EXPECT_FALSE(ToStorableText("한국", LineBreaks::Refuse, &message));
  EXPECT_NE(message.find("한"), std::string::npos);
}

}  // namespace
