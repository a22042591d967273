// The menus, accelerators and tool bars built from the command table match
// the window's documented layout.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "frame/command_table.h"

namespace {

using namespace kanro::frame;
using Kind = MenuItem::Kind;

// One line per item: "id caption", "-" for a separator, "> caption" for a popup.
std::vector<std::string> Flatten(const std::vector<MenuItem>& items) {
  std::vector<std::string> lines;
  for (const MenuItem& item : items) {
    if (item.kind == Kind::Separator) lines.push_back("-");
    else if (item.kind == Kind::Popup) lines.push_back("> " + item.caption);
    else lines.push_back(std::to_string(item.id) + " " + item.caption);
  }
  return lines;
}

const MenuItem& TopMenu(size_t index) { return MainMenu().at(index); }

TEST(CommandTableTest, MenuBarHasTheFivePopupsAndTheFileMenuInOrder) {
  ASSERT_EQ(MainMenu().size(), 5u);
  EXPECT_EQ(Flatten(MainMenu()), (std::vector<std::string>{"> ファイル(&F)", "> 日付(&D)", "> 時間(&T)",
                                                          "> 表示(&V)", "> ヘルプ(&H)"}));
  EXPECT_EQ(Flatten(TopMenu(0).items),
            (std::vector<std::string>{"32001 番組表のダウンロード(&D)\tCtrl+D", "32002 番組表の再ダウンロード(&H)",
                                      "32003 ヘッダーと番組表の再ダウンロード(&H)", "31018 現在の番組表表示(&N)",
                                      "31007 ページ内検索(&F)...\tCtrl+F", "31010 CSS の編集(&C)",
                                      "31004 プログラムの設定(&S)", "-", "31006 印刷プレビュー(&P)...\tCtrl+P",
                                      "57606 プリンタの設定(&R)...", "-", "31030 XMLTV 形式で書き出す...",
                                      "31031 視聴予定を iCalendar で書き出す...", "-", "31005 プログラムの初期化(&I)", "-",
                                      "57665 アプリケーションの終了(&X)"}));
}

TEST(CommandTableTest, DateMenuHasWeeksThenThreeGroupsOfSevenDays) {
  std::vector<std::string> lines = Flatten(TopMenu(1).items);
  ASSERT_EQ(lines.size(), 4u + 21u + 2u);
  EXPECT_EQ(lines[0], "60121 先週の日付表示");
  EXPECT_EQ(lines[1], "60122 今週の日付表示");
  EXPECT_EQ(lines[2], "60123 翌週の日付表示");
  EXPECT_EQ(lines[3], "-");
  EXPECT_EQ(lines[4], "60000 先週日曜日の番組表表示");
  EXPECT_EQ(lines[11], "-");
  EXPECT_EQ(lines[13], "60008 今週月曜日の番組表表示");
  EXPECT_EQ(lines[19], "-");
  EXPECT_EQ(lines[26], "60020 翌週土曜日の番組表表示");
}

TEST(CommandTableTest, TimeMenuRunsFromFourInTheMorningToThree) {
  std::vector<std::string> lines = Flatten(TopMenu(2).items);
  ASSERT_EQ(lines.size(), 24u);
  EXPECT_EQ(lines.front(), "59504 04:00");
  EXPECT_EQ(lines[19], "59523 23:00");
  EXPECT_EQ(lines[20], "59500 00:00");
  EXPECT_EQ(lines.back(), "59503 03:00");
}

TEST(CommandTableTest, ViewAndHelpMenus) {
  const MenuItem& view = TopMenu(3);
  ASSERT_EQ(view.items.size(), 4u);
  const MenuItem& looks = view.items[0];
  EXPECT_EQ(looks.caption, "アプリケーションの外観(&A)");
  EXPECT_EQ(Flatten(looks.items),
            (std::vector<std::string>{"210 Windows 2000(&2)", "211 Office XP(&X)", "212 Windows XP(&W)",
                                      "213 Office 2003(&3)", "214 Visual Studio .NET 2005(&5)",
                                      "> Office 2007(&7)", "-", "219 ダーク(&K)"}));
  EXPECT_EQ(Flatten(looks.items[5].items),
            (std::vector<std::string>{"215 ブルー スタイル(&B)", "216 ブラック スタイル(&L)",
                                      "217 シルバー スタイル(&S)", "218 アクア スタイル(&A)"}));
  EXPECT_EQ(view.items[1].caption, "ツール バーとドッキング ウィンドウ(&T)");
  EXPECT_EQ(view.items[1].items.at(0).id, ID_TOOLBAR_PLACEHOLDER);
  EXPECT_EQ(Flatten({view.items[2], view.items[3]}),
            (std::vector<std::string>{"59393 ステータス バー(&S)", "221 キャプション バー(&C)"}));
  EXPECT_EQ(Flatten(TopMenu(4).items),
            (std::vector<std::string>{"57667 トピックの検索(&H)", "-", "31021 最新バージョンのチェック(&C)...",
                                      "57664 バージョン情報 Kanro(&A)..."}));
}

TEST(CommandTableTest, DropDownMenuAndAccelerators) {
  EXPECT_EQ(Flatten(DownloadDropMenu()), (std::vector<std::string>{"32002 番組表の再ダウンロード(&R)",
                                                                    "32003 ヘッダーと番組表の再ダウンロード(&H)"}));
  std::vector<std::string> keys;
  for (const Accelerator& a : Accelerators()) keys.push_back(a.keys + "=" + std::to_string(a.id));
  EXPECT_EQ(keys, (std::vector<std::string>{"Ctrl+P=31006", "Ctrl+F=31007", "Ctrl+D=32001", "Shift+F1=57669",
                                            "F1=57670"}));
}

TEST(CommandTableTest, EveryMenuAndToolBarCommandHasOneEntryWithPromptAndToolTip) {
  std::set<unsigned> ids;
  for (const CommandInfo& info : CommandTable()) {
    EXPECT_TRUE(ids.insert(info.id).second) << info.id;
    EXPECT_FALSE(info.toolTip.empty()) << info.id;
    EXPECT_FALSE(info.caption.empty()) << info.id;
  }
  std::vector<const std::vector<MenuItem>*> pending = {&MainMenu(), &DownloadDropMenu()};
  while (!pending.empty()) {
    const std::vector<MenuItem>* items = pending.back();
    pending.pop_back();
    for (const MenuItem& item : *items) {
      if (item.kind == Kind::Popup) pending.push_back(&item.items);
      if (item.kind == Kind::Command && item.id != ID_TOOLBAR_PLACEHOLDER) {
        EXPECT_NE(FindCommand(item.id), nullptr) << item.id;
      }
    }
  }
  for (const ToolBarInfo& bar : ToolBars())
    for (unsigned id : bar.buttons) {
      if (id != 0) {
        EXPECT_NE(FindCommand(id), nullptr) << id;
      }
    }
  for (const Accelerator& a : Accelerators()) {
    EXPECT_NE(FindCommand(a.id), nullptr) << a.id;
  }
  EXPECT_EQ(FindCommand(12345), nullptr);
}

TEST(CommandTableTest, PromptsAndToolTipsComeFromTheStringTable) {
  const CommandInfo* download = FindCommand(ID_REDOWNLOAD_HEADERS);
  ASSERT_NE(download, nullptr);
  EXPECT_EQ(download->prompt, "番組表有無の設定にかかわらず、ヘッダーも合わせて再ダウンロードする");
  EXPECT_EQ(download->toolTip, "ヘッダーと番組表の再ダウンロード");
  EXPECT_EQ(FindCommand(60000)->prompt, "先週の日曜日の番組表を表示する");
  EXPECT_EQ(FindCommand(60000)->toolTip, "先週日曜日の番組表表示");
  EXPECT_EQ(FindCommand(59504)->prompt, "04時を表示する");
  EXPECT_EQ(FindCommand(59504)->toolTip, "04時");
  EXPECT_EQ(FindCommand(ID_LISTING_TIME)->toolTip, "番組表の更新日時");
  EXPECT_EQ(FindCommand(ID_HOME_PAGE)->prompt, "ホームページを表示する");
  EXPECT_EQ(FindCommand(ID_TASK_PANE)->toolTip, "作業ウィンドウの表示切り替え");
}

TEST(CommandTableTest, ToolBarsAndTheirDefaultButtons) {
  ASSERT_EQ(ToolBars().size(), 4u);
  const ToolBarInfo* standard = FindToolBar(ID_STANDARD_BAR);
  ASSERT_NE(standard, nullptr);
  EXPECT_EQ(standard->caption, "標準");
  EXPECT_EQ(standard->buttons, (std::vector<unsigned>{32001, 31004, 31010, 31007, 31015, 0, 60121, 60122, 60123, 0,
                                                      31018, 31002, 31001, 0, 57665}));
  EXPECT_EQ(FindToolBar(ID_TIME_BAR)->buttons.size(), 24u);
  EXPECT_EQ(FindToolBar(ID_DATE_BAR)->buttons.size(), 23u);
  EXPECT_FALSE(FindToolBar(ID_DOWNLOAD_BAR)->visibleByDefault);
  EXPECT_TRUE(FindToolBar(ID_DATE_BAR)->textBesideImage);

  std::vector<int> shownHours;
  for (unsigned id : FindToolBar(ID_TIME_BAR)->buttons)
    if (ButtonVisibleByDefault(ID_TIME_BAR, id)) shownHours.push_back(static_cast<int>(id - ID_HOUR_FIRST));
  EXPECT_EQ(shownHours, (std::vector<int>{4, 7, 10, 13, 16, 19, 21, 23, 1}));
  int shownDays = 0;
  for (unsigned id : FindToolBar(ID_DATE_BAR)->buttons)
    if (id != 0 && ButtonVisibleByDefault(ID_DATE_BAR, id)) ++shownDays;
  EXPECT_EQ(shownDays, 14);
  EXPECT_FALSE(ButtonVisibleByDefault(ID_DATE_BAR, 60006));
  EXPECT_TRUE(ButtonVisibleByDefault(ID_DATE_BAR, 60007));
  EXPECT_EQ(DownloadBarText(ID_REDOWNLOAD), "番組表の再ダウンロード");
}

TEST(CommandTableTest, ImagesArePositionsInTheirStrips) {
  // Every image of one strip has its own position.
  std::set<std::pair<unsigned, int>> used;
  for (const CommandInfo& info : CommandTable()) {
    if (info.strip == STRIP_NONE) continue;
    EXPECT_GE(info.image, 0) << info.id;
    EXPECT_TRUE(used.insert({info.strip, info.image}).second) << info.id;
  }
  EXPECT_EQ(FindCommand(59504)->image, 0);
  EXPECT_EQ(FindCommand(59503)->image, 23);
}

// Who carries a command out and whether it shows a check come from the table.
TEST(CommandTableTest, OwnersAndChecksComeFromTheTable) {
  for (unsigned id : {60000u, 60020u, 59500u, 59523u, 31006u, 31007u, 31015u, 31018u})
    EXPECT_EQ(OwnerOf(id), CommandOwner::View) << id;
  for (unsigned id : {32001u, 32002u, 32003u, 31003u, 31013u}) EXPECT_EQ(OwnerOf(id), CommandOwner::Orchestrator) << id;
  for (unsigned id : {31022u, 31023u}) EXPECT_EQ(OwnerOf(id), CommandOwner::TaskPane) << id;
  // The listing selector and the date picker change the window's day state.
  for (unsigned id : {31001u, 31002u, 31004u, 60122u, 12345u}) EXPECT_EQ(OwnerOf(id), CommandOwner::Frame) << id;
  for (const CommandInfo& info : CommandTable()) {
    const bool state = IsDayCommand(info.id) || IsLookCommand(info.id) || IsDownloadCommand(info.id);
    if (state) {
      EXPECT_TRUE(info.checkable) << info.id;
    }
    if (IsHourCommand(info.id) || info.id == ID_SETTINGS || info.id == ID_THIS_WEEK) {
      EXPECT_FALSE(info.checkable) << info.id;
    }
  }
  for (unsigned bar : {ID_CAPTION_BAR, ID_TASK_PANE, ID_STATUS_BAR, ID_TIME_BAR, ID_DATE_BAR, ID_DOWNLOAD_BAR})
    EXPECT_TRUE(FindCommand(bar)->checkable) << bar;
}

}  // namespace
