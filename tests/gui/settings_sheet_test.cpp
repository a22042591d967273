// The settings sheet with real widgets, offscreen: what OK and Cancel write,
// and the question about an unconfirmed rule edit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

#include "app/paths.h"
#include "app/settings_store.h"
#include "settings/ui/page_bar.h"
#include "settings/ui/question_box.h"
#include "settings/ui/setting_pages.h"
#include "settings/ui/setting_property_sheet.h"
#include "support/temp_dir.h"
#include "text/codepage.h"
#include "view/ui/desktop_opener.h"

namespace {

using namespace kanro::settings;
using kanro::test::ReadAll;
using kanro::test::WriteAll;

QApplication& App() {
  static int argc = 1;
  static char name[] = "gui_settings_sheet_test";
  static char* argv[] = {name, nullptr};
  // Never destroyed: the process ends with it, after the tests.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

class SettingsSheetTest : public testing::Test {
 protected:
  void SetUp() override {
    App();
    ASSERT_TRUE(kanro::app::DeleteAllProfileValues());
    kanro::app::SetDataDir(data_.path());
    std::filesystem::create_directories(kanro::app::CssFolder());
    WriteAll(kanro::app::RulesPath(), "; note\r\na\tb\t1\textra\r\nc\td\t0\n");
    WriteAll(kanro::app::KeywordsPath(), "one\n\ntwo");
    WriteAll(kanro::app::CssFolder() / "default.css", "/* @author me */\r\n");
    WriteAll(kanro::app::CssFolder() / "blue.css", "/* @author you */\r\n");
    WriteAll(kanro::app::StylesheetPath(), "/* @author me */\r\n");
    // Every value the pages write, so that writing them unchanged changes nothing.
    for (const char* key : {"Detail", "GCode", "iEPG", "KeepFresh", "RemoveAnchor", "LaunchAuto", "OnceADay",
                            "CheckVersion"})
      WriteProfileInt("Download", key, 1);
    WriteProfileInt("Download", "Days", 0);
    WriteProfileInt("Download", "WaitSec", 100);
    WriteProfileString("Download", "Programs", "08GooTv,99Bad,");
    WriteProfileString("Download", "ExistTerm", "100");
    WriteProfileInt("Window", "MaxRank", 7);
    WriteProfileInt("Window", "Alert", 1);
    WriteProfileInt("Window", "AlertMinute", 45);
    WriteProfileInt("Network", "AccessType", 3);
    WriteProfileString("Network", "ProxyAddress", "proxy");
    WriteProfileString("Network", "ProxyPort", "8080");
    WriteProfileString("Network", "ProxyUser", "user");
    WriteProfileString("TvProgram", "CssFile", "default.css");
    SetQuestionHandlerForTesting([this](const QString& text) {
      questions_.push_back(text);
      return answer_;
    });
  }
  void TearDown() override {
    SetQuestionHandlerForTesting(nullptr);
    kanro::app::DeleteAllProfileValues();
  }

  std::vector<std::string> Snapshot() const {
    return {ReadAll(kanro::app::ProfileLocation()), ReadAll(kanro::app::RulesPath()),
            ReadAll(kanro::app::KeywordsPath()), ReadAll(kanro::app::StylesheetPath())};
  }
  static void Press(QDialog& sheet, QDialogButtonBox::StandardButton which) {
    sheet.findChild<QDialogButtonBox*>()->button(which)->click();
  }

  kanro::test::TempDir data_{"kanro-sheet"};
  std::vector<QString> questions_;
  QMessageBox::StandardButton answer_ = QMessageBox::Cancel;
};

TEST_F(SettingsSheetTest, OkWithoutChangesAndCancelAfterVisitingAllPagesWriteNothing) {
  const std::vector<std::string> before = Snapshot();
  {
    CSettingPropertySheet sheet;
    sheet.show();
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral("プログラムの設定"));
    Press(sheet, QDialogButtonBox::Ok);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
  }
  EXPECT_EQ(Snapshot(), before);
  {
    CSettingPropertySheet sheet;
    sheet.show();
    for (int page = 0; page < CSettingPropertySheet::kPageCount; ++page) {
      sheet.ShowPage(page);
      QApplication::processEvents();
    }
    // Apply another stylesheet, which Cancel must undo.
    auto* css = static_cast<CCssPage*>(sheet.PageAt(CSettingPropertySheet::kCss));
    css->List()->setCurrentItem(css->List()->findItems(QStringLiteral("blue.css"), Qt::MatchExactly).first());
    css->ApplyButton()->click();
    EXPECT_EQ(ReadAll(kanro::app::StylesheetPath()), "/* @author you */\r\n");
    Press(sheet, QDialogButtonBox::Cancel);
  }
  EXPECT_EQ(Snapshot(), before);
  EXPECT_TRUE(questions_.empty());
  {
    CSettingPropertySheet sheet;  // opens on the page last active
    EXPECT_EQ(sheet.ActivePage(), CSettingPropertySheet::kAutoWatch);
    sheet.ShowPage(CSettingPropertySheet::kDownload);
  }
}

// A mouse user reaches every page: at the sheet's own size each icon with its
// caption lies inside the bar's visible part, and a click on it opens its page.
TEST_F(SettingsSheetTest, EveryPageIconIsVisibleInTheBarAndOpensItsPageOnAClick) {
  CSettingPropertySheet sheet;
  sheet.show();
  QApplication::processEvents();
  CPageBar* bar = sheet.PageBar();
  ASSERT_EQ(bar->count(), CSettingPropertySheet::kPageCount);
  EXPECT_EQ(bar->width(), CPageBar::kWidth);
  EXPECT_EQ(bar->verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(bar->horizontalScrollBar()->maximum(), 0);
  const QRect visible = bar->viewport()->rect();
  int lastTop = -1;
  for (int row = CSettingPropertySheet::kPageCount - 1; row >= 0; --row) {
    const QRect cell = bar->visualItemRect(bar->item(row));
    EXPECT_TRUE(visible.contains(cell)) << row << ": " << cell.x() << "," << cell.y() << " " << cell.width() << "x"
                                        << cell.height();
    // One column, the first page on top.
    if (lastTop >= 0) {
      EXPECT_LT(cell.bottom(), lastTop) << row;
    }
    lastTop = cell.top();
    QTest::mouseClick(bar->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(sheet.ActivePage(), row);
    ASSERT_NE(sheet.PageAt(row), nullptr);
    EXPECT_TRUE(sheet.PageAt(row)->isVisible()) << row;
    EXPECT_EQ(sheet.PageAt(row)->accessibleName(), bar->item(row)->text());
  }
  Press(sheet, QDialogButtonBox::Cancel);
}

// The bar asks for the room its pages need, so a sheet with more pages shows
// them all as well.
TEST_F(SettingsSheetTest, ABarOfEightPagesShowsThemAllAtItsOwnSize) {
  QWidget window;
  CPageBar* bar = new CPageBar(&window);
  QPixmap icon(CPageBar::kIconSize, CPageBar::kIconSize);
  icon.fill(Qt::darkGreen);
  for (int i = 0; i < 8; ++i) bar->AddPage(QIcon(icon), QStringLiteral("スタイルシート%1").arg(i));
  window.resize(window.sizeHint());
  bar->resize(bar->sizeHint());
  window.show();
  QApplication::processEvents();
  for (int row = 0; row < bar->count(); ++row)
    EXPECT_TRUE(bar->viewport()->rect().contains(bar->visualItemRect(bar->item(row)))) << row;
}

// A click on the stylesheet page's download link hands it to the desktop;
// when nothing takes it, a notice over the sheet names the address.
TEST_F(SettingsSheetTest, ALinkTheDesktopCannotOpenIsReportedInANotice) {
  std::vector<QUrl> opened;
  kanro::view::SetDesktopOpenerForTesting([&opened](const QUrl& url) {
    opened.push_back(url);
    return false;
  });
  CSettingPropertySheet sheet;
  sheet.show();
  sheet.ShowPage(CSettingPropertySheet::kCss);
  QLabel* link = nullptr;
  for (QLabel* label : sheet.PageAt(CSettingPropertySheet::kCss)->findChildren<QLabel*>())
    if (label->text().contains(QStringLiteral("href"))) link = label;
  ASSERT_NE(link, nullptr);
  QApplication::processEvents();
  QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
  QApplication::processEvents();  // the desktop's answer comes queued
  kanro::view::SetDesktopOpenerForTesting({});
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].scheme(), QStringLiteral("https"));
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_EQ(questions_[0], opened[0].toDisplayString() + QStringLiteral(" が開けませんでした。"));
  Press(sheet, QDialogButtonBox::Cancel);
}

TEST_F(SettingsSheetTest, AddingAPrefectureAndTypeChangesPrograms) {
  CSettingPropertySheet sheet;
  sheet.ShowPage(CSettingPropertySheet::kDownload);
  auto* page = static_cast<CDownloadPage*>(sheet.PageAt(CSettingPropertySheet::kDownload));
  EXPECT_EQ(page->List()->count(), 1);  // the malformed item is not shown
  QTreeWidgetItem* region = page->Tree()->topLevelItem(1);
  page->Tree()->setCurrentItem(region);
  EXPECT_FALSE(page->AddButton()->isEnabled());
  page->Tree()->setCurrentItem(region->child(1)->child(3));  // 神奈川県, AM radio
  ASSERT_TRUE(page->AddButton()->isEnabled());
  page->AddButton()->click();
  page->AddButton()->click();  // the same again: still one
  EXPECT_EQ(page->List()->count(), 2);
  EXPECT_EQ(page->List()->item(1)->text(), QStringLiteral("神奈川県[AMラジオ]"));
  Press(sheet, QDialogButtonBox::Ok);
  EXPECT_EQ(GetProfileString("Download", "Programs"), "08GooTv,09YahooAm,");
  EXPECT_EQ(GetProfileInt("Download", "Days", 8), 0);
}

TEST_F(SettingsSheetTest, UnconfirmedRuleEditIsAskedOnceWithYesNoAndCancel) {
  CSettingPropertySheet sheet;
  sheet.ShowPage(CSettingPropertySheet::kExtend);
  auto* page = static_cast<CExtendPage*>(sheet.PageAt(CSettingPropertySheet::kExtend));
  QTreeWidget* rules = page->Rules();
  ASSERT_EQ(rules->topLevelItemCount(), 2);
  auto edit = [&](const QString& text) {
    page->SearchEdit()->setText(text);
    Q_EMIT page->SearchEdit()->textEdited(text);
  };
  rules->setCurrentItem(rules->topLevelItem(0));
  edit(QStringLiteral("edited"));

  answer_ = QMessageBox::Cancel;
  rules->setCurrentItem(rules->topLevelItem(1));
  EXPECT_EQ(questions_.size(), 1u);
  EXPECT_EQ(page->Extend().EditedRow(), 0);
  ASSERT_EQ(rules->selectionModel()->selectedRows().size(), 1);
  EXPECT_EQ(rules->selectionModel()->selectedRows().first().row(), 0);
  EXPECT_EQ(page->SearchEdit()->text(), QStringLiteral("edited"));

  answer_ = QMessageBox::No;
  rules->setCurrentItem(rules->topLevelItem(1));
  EXPECT_EQ(questions_.size(), 2u);
  EXPECT_EQ(rules->topLevelItem(0)->text(0), QStringLiteral("a"));
  EXPECT_EQ(page->SearchEdit()->text(), QStringLiteral("c"));
  EXPECT_EQ(rules->topLevelItem(1)->checkState(0), Qt::Unchecked);  // selecting never enables

  edit(QStringLiteral("changed"));
  answer_ = QMessageBox::Yes;
  Press(sheet, QDialogButtonBox::Ok);  // OK asks the same question, once
  EXPECT_EQ(questions_.size(), 3u);
  EXPECT_EQ(sheet.result(), QDialog::Accepted);
  EXPECT_EQ(ReadAll(kanro::app::RulesPath()), "; note\r\na\tb\t1\textra\r\nchanged\td\t0\r\n");
}

TEST_F(SettingsSheetTest, InvalidKeywordCanBeTakenBackOrSaved) {
  CKeywordSheet sheet;
  EXPECT_EQ(sheet.windowTitle(), QStringLiteral("キーワードの編集"));
  auto* page = static_cast<CKeywordPage*>(sheet.Page());
  page->List()->item(0)->setText(QStringLiteral("(open"));
  answer_ = QMessageBox::No;
  Press(sheet, QDialogButtonBox::Ok);
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_TRUE(questions_[0].contains(QStringLiteral("(open")));
  // The reason is a Japanese sentence, not the engine's English.
  EXPECT_TRUE(questions_[0].contains(QStringLiteral("閉じかっこ「)」が足りません"))) << questions_[0].toStdString();
  EXPECT_EQ(ReadAll(kanro::app::KeywordsPath()), "one\n\ntwo");
  answer_ = QMessageBox::Yes;
  Press(sheet, QDialogButtonBox::Ok);
  EXPECT_EQ(ReadAll(kanro::app::KeywordsPath()), "(open\r\ntwo\r\n");
}

TEST_F(SettingsSheetTest, TheAutoWatchPageShowsAnInvalidRuleAsSuchAndOkWritesTheRuleAdded) {
  WriteAll(kanro::app::AutoWatchRulesPath(), "(\t\t\t\t\t1\r\n");
  CSettingPropertySheet sheet;
  sheet.show();
  sheet.ShowPage(CSettingPropertySheet::kAutoWatch);
  auto* page = static_cast<CAutoWatchPage*>(sheet.PageAt(CSettingPropertySheet::kAutoWatch));
  ASSERT_EQ(page->Rules()->topLevelItemCount(), 1);
  EXPECT_TRUE(page->Rules()->topLevelItem(0)->text(0).startsWith(QStringLiteral("（無効）")));
  EXPECT_FALSE(page->Rules()->topLevelItem(0)->toolTip(0).isEmpty());

  for (QPushButton* button : page->findChildren<QPushButton*>())
    if (button->text() == QStringLiteral("追加")) button->click();
  ASSERT_EQ(page->Rules()->topLevelItemCount(), 2);
  page->PatternEdit()->setText(QStringLiteral("ニュース"));
  // No pages downloaded: the preview says so and lists nothing.
  page->PreviewButton()->click();
  EXPECT_EQ(page->PreviewList()->count(), 0);

  // The invalid rule is asked about like an invalid keyword.
  answer_ = QMessageBox::Yes;
  Press(sheet, QDialogButtonBox::Ok);
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_EQ(ReadAll(kanro::app::AutoWatchRulesPath()),
            "(\t\t\t\t\t1\r\n" + kanro::text::Utf8ToCp932("ニュース\t\t\t\t\t1\r\n"));
}

}  // namespace
