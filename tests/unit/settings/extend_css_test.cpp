// The extend page's rules file and edited row, and the stylesheet page's
// metadata, sorting and copies, against real files.
#include <gtest/gtest.h>

#include "listing/replace_rule.h"
#include "settings/css_page_model.h"
#include "settings/extend_page_model.h"
#include "settings_test_env.h"
#include "text/codepage.h"

namespace {

using namespace kanro::settings;
using kanro::test::ReadAll;
using kanro::test::WriteAll;
using kanro::text::Utf8ToCp932;
using Page = kanro::test::SettingsPageTest;
using Answer = ExtendPageModel::Answer;

const std::string kRules =
    "; note\r\n"
    "a b\tx\t1\r\n"
    "\r\n"
    "short\tline\r\n"
    "c\t\t0\textra\tmore\r\n"
    "\xEF\x40\tundefined\t1\r\n";  // bytes CP932 does not define

TEST_F(Page, RulesRoundTripKeepsNotesExtraFieldsAndBytes) {
  WriteAll(kanro::app::RulesPath(), kRules);
  {
    ExtendPageModel model;
    ASSERT_EQ(model.Rows().size(), 3u);
    EXPECT_EQ(model.Rows()[0].pattern, "a b");  // split at tabs only
    EXPECT_FALSE(model.Rows()[1].enabled);
    ASSERT_TRUE(model.Save());
  }
  EXPECT_EQ(ReadAll(kanro::app::RulesPath()), kRules);
  {
    ExtendPageModel model;
    model.SetEnabled(1, true);
    model.SelectRow(0);
    model.SetEditTexts("A", "X");
    std::string message;
    ASSERT_TRUE(model.ConfirmEdit(&message));
    ASSERT_TRUE(model.Save());
  }
  EXPECT_EQ(ReadAll(kanro::app::RulesPath()),
            "; note\r\nA\tX\t1\r\n\r\nshort\tline\r\nc\t\t1\textra\tmore\r\n\xEF\x40\tundefined\t1\r\n");
}

TEST_F(Page, LfFileUnchangedIsNotRewrittenAndEditsReachTheLoader) {
  const std::string lf = "p\tq\t1\n";
  WriteAll(kanro::app::RulesPath(), lf);
  {
    ExtendPageModel model;
    ASSERT_TRUE(model.Save());
  }
  EXPECT_EQ(ReadAll(kanro::app::RulesPath()), lf);
  ExtendPageModel model;
  model.SelectRow(model.AddRow());  // left empty: not written
  model.SelectRow(model.AddRow());
  model.SetEditTexts("", "only");
  std::string message;
  ASSERT_TRUE(model.ConfirmEdit(&message));
  model.MoveUp();
  model.MoveUp();
  ASSERT_TRUE(model.Save());
  EXPECT_EQ(ReadAll(kanro::app::RulesPath()), "\tonly\t1\r\np\tq\t1\r\n");
  EXPECT_EQ(kanro::listing::LoadReplaceRules(kanro::app::RulesPath()).rules.size(), 2u);
}

TEST_F(Page, PendingEditQuestionYesNoCancelAskedOnce) {
  WriteAll(kanro::app::RulesPath(), "a\t1\t1\r\nb\t2\t0\r\n");
  ExtendPageModel model;
  std::string message;
  int asked = 0;
  auto answer = [&](Answer a) { return [&asked, a] { ++asked; return a; }; };
  model.SelectRow(0);
  EXPECT_TRUE(model.MayLeaveEditedRow(answer(Answer::Yes), &message));
  EXPECT_EQ(asked, 0);  // nothing edited, nothing asked
  model.SetEditTexts("edited", "1");
  EXPECT_FALSE(model.MayLeaveEditedRow(answer(Answer::Cancel), &message));
  EXPECT_EQ(model.EditSearch(), "edited");
  EXPECT_TRUE(model.MayLeaveEditedRow(answer(Answer::No), &message));
  EXPECT_EQ(model.Rows()[0].pattern, "a");
  EXPECT_TRUE(model.MayLeaveEditedRow(answer(Answer::Yes), &message));
  EXPECT_EQ(model.Rows()[0].pattern, "edited");
  EXPECT_EQ(asked, 3);
  // A question asked while one is open is refused, not asked again.
  model.SetEditTexts("again", "1");
  bool inner = true;
  EXPECT_FALSE(model.MayLeaveEditedRow([&] { inner = model.MayLeaveEditedRow(answer(Answer::Yes), &message); return Answer::Cancel; }, &message));
  EXPECT_FALSE(inner);
  // Moving keeps the pending edit and each row's check state.
  model.MoveDown();
  EXPECT_EQ(model.EditedRow(), 1);
  EXPECT_EQ(model.EditSearch(), "again");
  EXPECT_TRUE(model.Rows()[1].enabled);
  EXPECT_FALSE(model.Rows()[0].enabled);
  model.SetEditTexts("tab\there", "1");
  EXPECT_FALSE(model.MayLeaveEditedRow(answer(Answer::Yes), &message));
  EXPECT_FALSE(message.empty());
}

TEST_F(Page, StoredValuesWithoutTheirItemAreKept) {
  WriteProfileString("Download", "ExistTerm", "100");
  WriteProfileInt("Window", "MaxRank", 7);
  {
    ExtendPageModel model;
    EXPECT_EQ(model.ExistTermIndex(), -1);
    EXPECT_EQ(model.MaxRankIndex(), -1);
    ASSERT_TRUE(model.Save());
  }
  EXPECT_EQ(GetProfileString("Download", "ExistTerm"), "100");
  EXPECT_EQ(GetProfileInt("Window", "MaxRank", 5), 7);
  WriteProfileString("Download", "ExistTerm", "3");
  ExtendPageModel model;
  EXPECT_EQ(model.ExistTermIndex(), 3);  // prefix: "30"
  model.m_strExistTerm.clear();
  EXPECT_EQ(model.ExistTermIndex(), -1);
  model.ChooseExistTerm(4);
  model.ChooseMaxRank(2);
  ASSERT_TRUE(model.Save());
  EXPECT_EQ(GetProfileString("Download", "ExistTerm"), Utf8ToCp932("∞"));
  EXPECT_EQ(GetProfileInt("Window", "MaxRank", 5), 10);
  ExtendPageModel defaults;
  EXPECT_EQ(defaults.m_bAlert, 1);
  EXPECT_EQ(defaults.m_nAlertMinute, 1);
}

TEST_F(Page, StylesheetCommentRules) {
  StylesheetInfo info;
  ReadStylesheetComment({"body {}", "/* @explanation  Blue style ", " * @author Taro @update x", " * @update",
                         " */", "@explanation late"},
                        info);
  EXPECT_EQ(info.description, "Blue style");
  EXPECT_EQ(info.author, "Taro @update x");
  EXPECT_EQ(info.date, "@update");  // nothing follows the keyword
  StylesheetInfo none;
  ReadStylesheetComment({"@author nobody"}, none);
  EXPECT_EQ(none.author, "");
}

TEST_F(Page, StylesheetListSortCopyAndCancel) {
  const auto css = kanro::app::CssFolder();
  WriteAll(css / "default.css", "/* @author \x82\xa0 */\r\n");
  WriteAll(css / "b.css", "/* @author \x88\x9f */\r\n");
  WriteAll(css / "c.CSS", "x\n");
  WriteAll(css / "notes.txt", "x");
  WriteAll(kanro::app::StylesheetPath(), "/* @author \x82\xa0 */\r\n.extra{}\r\n");
  CssPageModel model;
  ASSERT_EQ(model.Rows().size(), 3u);
  EXPECT_TRUE(model.ActiveIsModified());  // appended lines count
  EXPECT_NE(model.ModificationQuestion().find("変更を破棄してdefault.cssを読み込みます。"), std::string::npos);
  EXPECT_EQ(ProposedSaveName("default.css"), "new.css");
  model.SortBy(2);
  EXPECT_EQ(model.Rows()[1].fileName, "default.css");  // 0x82A0 before 0x889F
  EXPECT_EQ(model.Rows()[2].fileName, "b.css");
  model.SortBy(2);
  EXPECT_EQ(model.Rows()[0].fileName, "b.css");
  EXPECT_FALSE(model.SortAscending());
  ASSERT_TRUE(model.SaveEditsAs(css / "mine.css"));
  model.Select(0);
  ASSERT_TRUE(model.ApplySelected());
  EXPECT_EQ(ReadAll(kanro::app::StylesheetPath()), ReadAll(css / "b.css"));
  EXPECT_EQ(GetProfileString("TvProgram", "CssFile"), "b.css");
  model.Discard();
  EXPECT_EQ(ReadAll(kanro::app::StylesheetPath()), ReadAll(css / "mine.css"));
  EXPECT_EQ(GetProfileString("TvProgram", "CssFile"), "default.css");
}

TEST_F(Page, StylesheetNameMustBeAPlainFileOfTheFolder) {
  const auto css = kanro::app::CssFolder();
  WriteAll(css / "a.css", "a");
  WriteAll(data_ / "outside.css", "x");
  EXPECT_TRUE(IsStylesheetName(css, "a.css"));
  for (const char* bad : {"", "..", "../outside.css", "/etc/passwd", "sub\\a.css", "missing.css"})
    EXPECT_FALSE(IsStylesheetName(css, bad)) << bad;
  WriteProfileString("TvProgram", "CssFile", "../outside.css");
  WriteAll(kanro::app::StylesheetPath(), "keep");
  CssPageModel model;
  EXPECT_EQ(model.ActiveRow(), -1);
  EXPECT_FALSE(model.ActiveIsModified());
  ASSERT_TRUE(model.Save());  // nothing selected: nothing copied
  EXPECT_EQ(ReadAll(kanro::app::StylesheetPath()), "keep");
}

}  // namespace
