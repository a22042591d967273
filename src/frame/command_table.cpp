// The command table, the menus and the tool bars as data.
#include "frame/command_table.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace kanro::frame {
namespace {

constexpr std::array<const char*, 3> kWeekWords = {"先週", "今週", "翌週"};
constexpr std::array<const char*, 7> kWeekdayNames = {"日曜日", "月曜日", "火曜日", "水曜日",
                                                      "木曜日", "金曜日", "土曜日"};

// Hours in menu and tool bar order: 04:00 ... 23:00, 00:00 ... 03:00.
std::vector<int> HourOrder() {
  std::vector<int> hours;
  for (int h = 4; h < 28; ++h) hours.push_back(h % 24);
  return hours;
}

std::string Format2(const char* pattern, int value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, pattern, value);
  return buffer;
}

CommandInfo Make(unsigned id, std::string caption, std::string shortcut, std::string promptAndTip,
                 ImageStrip strip = STRIP_NONE, int image = -1) {
  CommandInfo info;
  info.id = id;
  info.caption = std::move(caption);
  info.shortcut = std::move(shortcut);
  size_t newline = promptAndTip.find('\n');
  info.prompt = promptAndTip.substr(0, newline);
  info.toolTip = newline == std::string::npos ? promptAndTip : promptAndTip.substr(newline + 1);
  info.strip = strip;
  info.image = image;
  return info;
}

std::vector<CommandInfo> BuildTable() {
  std::vector<CommandInfo> t;
  // Program commands.
  t.push_back(Make(ID_LISTING_SELECTOR, "番組表の選択", "", "番組表を選択する\n番組表の選択", STRIP_STANDARD, 10));
  t.push_back(Make(ID_DATE_PICKER, "日付の選択", "", "日付を選択する\n日付の選択", STRIP_STANDARD, 9));
  t.push_back(Make(ID_RANKING, "視聴予定ランキングのダウンロード", "",
                   "視聴予定ランキングをダウンロードする\n視聴予定ランキングのダウンロード"));
  t.push_back(Make(ID_SETTINGS, "プログラムの設定(&S)", "", "プログラムの設定を変更する\nプログラムの設定",
                   STRIP_STANDARD, 1));
  t.push_back(Make(ID_RESET_PROGRAM, "プログラムの初期化(&I)", "",
                   "プログラムの情報をレジストリから削除する\nプログラムの初期化", STRIP_MENU, 0));
  t.push_back(Make(ID_PRINT_PREVIEW, "印刷プレビュー(&P)...", "Ctrl+P", "印刷プレビューを表示する\n印刷プレビュー",
                   STRIP_MENU, 2));
  t.push_back(Make(ID_FIND, "ページ内検索(&F)...", "Ctrl+F", "ページ内を検索する\nページ内検索", STRIP_STANDARD, 3));
  t.push_back(Make(ID_EDIT_CSS, "CSS の編集(&C)", "", "CSS を編集する\nCSS の編集", STRIP_STANDARD, 2));
  t.push_back(Make(ID_EXPORT_XMLTV, "XMLTV 形式で書き出す...", "",
                   "ダウンロードした番組表を XMLTV 形式で書き出す\nXMLTV 形式で書き出す"));
  t.push_back(Make(ID_EXPORT_ICALENDAR, "視聴予定を iCalendar で書き出す...", "",
                   "視聴予定を iCalendar 形式で書き出す\n視聴予定を iCalendar で書き出す"));
  t.push_back(Make(ID_EDIT_KEYWORDS, "キーワードの編集", "", "キーワードを編集する\nキーワードの編集"));
  t.push_back(Make(ID_KEYWORD_SEARCH, "キーワード検索", "", "今日以降の番組表からキーワードを検索する\nキーワード検索"));
  t.push_back(Make(ID_RANKING_RELOAD, "視聴予定ランキングの再読込", "",
                   "視聴予定ランキングを再読込する\n視聴予定ランキングの再読込"));
  t.push_back(Make(ID_LISTING_TIME, "番組表の更新日時", "", "番組表の更新日時"));
  t.push_back(Make(ID_REDISPLAY, "番組表の再表示", "", "表示中の番組表を再表示する\n番組表の再表示",
                   STRIP_STANDARD, 4));
  t.push_back(Make(ID_TIME_BAR, "時間", "", "時間ツール バーの表示/非表示\n時間ツール バーの表示切り替え"));
  t.push_back(Make(ID_DATE_BAR, "日付", "", "日付ツール バーの表示/非表示\n日付ツール バーの表示切り替え"));
  t.push_back(Make(ID_CURRENT_LISTING, "現在の番組表表示(&N)", "", "現在の番組表を表示\n現在の番組表表示",
                   STRIP_STANDARD, 8));
  t.push_back(Make(ID_DOWNLOAD_BAR, "ダウンロード", "",
                   "ダウンロードツール バーの表示/非表示\nダウンロードツール バーの表示切り替え"));
  t.push_back(Make(ID_HOME_PAGE, "最新バージョンダウンロード", "", "ホームページを表示する\nホームページの表示"));
  t.push_back(Make(ID_CHECK_VERSION, "最新バージョンのチェック(&C)...", "",
                   "最新バージョンをチェックする\n最新バージョンのチェック", STRIP_MENU, 1));
  t.push_back(Make(ID_SHOW_KEYWORDS, "キーワードの表示", "", "キーワードを表示する\nキーワードの表示"));
  t.push_back(Make(ID_SHOW_LISTINGS, "番組表の表示", "", "番組表を表示する\n番組表の表示"));
  // Downloads.
  t.push_back(Make(ID_DOWNLOAD, "番組表のダウンロード(&D)", "Ctrl+D", "番組表をダウンロードする\n番組表のダウンロード",
                   STRIP_STANDARD, 0));
  t.push_back(Make(ID_REDOWNLOAD, "番組表の再ダウンロード(&H)", "",
                   "番組表有無の設定にかかわらず、再ダウンロードする\n番組表の再ダウンロード", STRIP_DOWNLOAD, 1));
  t.push_back(Make(ID_REDOWNLOAD_HEADERS, "ヘッダーと番組表の再ダウンロード(&H)", "",
                   "番組表有無の設定にかかわらず、ヘッダーも合わせて再ダウンロードする\nヘッダーと番組表の再ダウンロード",
                   STRIP_DOWNLOAD, 2));
  // Bars and panes.
  t.push_back(Make(ID_CAPTION_BAR, "キャプション バー(&C)", "",
                   "キャプション バーの表示/非表示\nキャプション バーの表示切り替え"));
  t.push_back(Make(ID_TASK_PANE, "作業ウィンドウ", "", "作業ウィンドウの表示/非表示\n作業ウィンドウの表示切り替え"));
  t.push_back(Make(ID_STATUS_BAR, "ステータス バー(&S)", "",
                   "ステータス バーの表示/非表示\nステータス バーの表示切り替え"));
  t.push_back(Make(ID_CUSTOMIZE, "カスタマイズ...", "", "ツール バーをカスタマイズする\nカスタマイズ"));
  // Looks.
  const std::array<const char*, 10> looks = {"Windows 2000(&2)", "Office XP(&X)", "Windows XP(&W)",
                                             "Office 2003(&3)", "Visual Studio .NET 2005(&5)",
                                             "ブルー スタイル(&B)", "ブラック スタイル(&L)",
                                             "シルバー スタイル(&S)", "アクア スタイル(&A)", "ダーク(&K)"};
  for (unsigned i = 0; i < looks.size(); ++i)
    t.push_back(Make(ID_LOOK_FIRST + i, looks[i], "", "アプリケーションの外観を変更する\nアプリケーションの外観"));
  // Framework commands.
  t.push_back(Make(ID_PRINT_SETUP, "プリンタの設定(&R)...", "", "プリンタと印刷オプションを変更する\n印刷設定"));
  t.push_back(Make(ID_APP_ABOUT, "バージョン情報 Kanro(&A)...", "", "プログラムの情報を表示する\nバージョン情報",
                   STRIP_MENU, 4));
  t.push_back(Make(ID_APP_EXIT, "アプリケーションの終了(&X)", "", "アプリケーションを終了する\n終了",
                   STRIP_STANDARD, 11));
  t.push_back(Make(ID_HELP_FINDER, "トピックの検索(&H)", "", "ヘルプ トピックの一覧を表示する\nヘルプ トピック",
                   STRIP_MENU, 3));
  t.push_back(Make(ID_CONTEXT_HELP, "ヘルプ", "Shift+F1", "画面の項目のヘルプを表示する\nヘルプ"));
  t.push_back(Make(ID_HELP, "ヘルプ", "F1", "ヘルプを表示する\nヘルプ"));
  // Hours, in tool bar order.
  std::vector<int> hours = HourOrder();
  for (size_t i = 0; i < hours.size(); ++i) {
    int h = hours[i];
    t.push_back(Make(ID_HOUR_FIRST + static_cast<unsigned>(h), Format2("%02d:00", h), "",
                     Format2("%02d時を表示する\n", h) + Format2("%02d時", h), STRIP_TIME, static_cast<int>(i)));
  }
  // Days.
  for (unsigned week = 0; week < 3; ++week) {
    for (unsigned day = 0; day < 7; ++day) {
      unsigned id = ID_DAY_FIRST + 7 * week + day;
      std::string word = kWeekWords[week];
      std::string name = kWeekdayNames[day];
      t.push_back(Make(id, word + name + "の番組表表示", "",
                       word + "の" + name + "の番組表を表示する\n" + word + name + "の番組表表示", STRIP_DATE,
                       static_cast<int>(7 * week + day)));
    }
  }
  // Weeks.
  for (unsigned week = 0; week < 3; ++week) {
    std::string word = kWeekWords[week];
    t.push_back(Make(ID_LAST_WEEK + week, word + "の日付表示", "",
                     word + "の日付を表示する\n" + word + "の日付表示", STRIP_STANDARD, static_cast<int>(5 + week)));
  }
  std::sort(t.begin(), t.end(), [](const CommandInfo& a, const CommandInfo& b) { return a.id < b.id; });
  // What each command is: a state shown with a check or an action, and who
  // carries it out when the window receives it.
  for (CommandInfo& info : t) {
    const unsigned id = info.id;
    info.checkable = IsDayCommand(id) || IsDownloadCommand(id) || IsLookCommand(id) || id == ID_CAPTION_BAR ||
                     id == ID_TASK_PANE || id == ID_STATUS_BAR || id == ID_TIME_BAR || id == ID_DATE_BAR ||
                     id == ID_DOWNLOAD_BAR;
    if (IsDayCommand(id) || IsHourCommand(id) || id == ID_PRINT_PREVIEW || id == ID_FIND || id == ID_REDISPLAY ||
        id == ID_CURRENT_LISTING)
      info.owner = CommandOwner::View;
    else if (IsDownloadCommand(id) || id == ID_RANKING || id == ID_RANKING_RELOAD)
      info.owner = CommandOwner::Orchestrator;
    else if (id == ID_SHOW_KEYWORDS || id == ID_SHOW_LISTINGS)
      info.owner = CommandOwner::TaskPane;
  }
  return t;
}

MenuItem Cmd(unsigned id, std::string caption) {
  MenuItem item;
  item.kind = MenuItem::Kind::Command;
  item.id = id;
  item.caption = std::move(caption);
  return item;
}

MenuItem Sep() {
  MenuItem item;
  item.kind = MenuItem::Kind::Separator;
  return item;
}

MenuItem Popup(std::string caption, std::vector<MenuItem> items) {
  MenuItem item;
  item.kind = MenuItem::Kind::Popup;
  item.caption = std::move(caption);
  item.items = std::move(items);
  return item;
}

// A command as its menu shows it: caption, then a tab and the shortcut.
MenuItem FromTable(unsigned id) {
  const CommandInfo* info = FindCommand(id);
  std::string caption = info->caption;
  if (!info->shortcut.empty()) caption += "\t" + info->shortcut;
  return Cmd(id, caption);
}

std::vector<MenuItem> BuildMainMenu() {
  std::vector<MenuItem> file = {
      FromTable(ID_DOWNLOAD),  FromTable(ID_REDOWNLOAD), FromTable(ID_REDOWNLOAD_HEADERS),
      FromTable(ID_CURRENT_LISTING), FromTable(ID_FIND), FromTable(ID_EDIT_CSS), FromTable(ID_SETTINGS),
      Sep(), FromTable(ID_PRINT_PREVIEW), FromTable(ID_PRINT_SETUP),
      Sep(), FromTable(ID_EXPORT_XMLTV), FromTable(ID_EXPORT_ICALENDAR),
      Sep(), FromTable(ID_RESET_PROGRAM),
      Sep(), FromTable(ID_APP_EXIT)};
  std::vector<MenuItem> dates = {FromTable(ID_LAST_WEEK), FromTable(ID_THIS_WEEK), FromTable(ID_NEXT_WEEK), Sep()};
  for (unsigned week = 0; week < 3; ++week) {
    if (week > 0) dates.push_back(Sep());
    for (unsigned day = 0; day < 7; ++day) dates.push_back(FromTable(ID_DAY_FIRST + 7 * week + day));
  }
  std::vector<MenuItem> hours;
  for (int h : HourOrder()) hours.push_back(FromTable(ID_HOUR_FIRST + static_cast<unsigned>(h)));
  std::vector<MenuItem> looks;
  for (unsigned id = 210; id <= 214; ++id) looks.push_back(FromTable(id));
  std::vector<MenuItem> office2007;
  for (unsigned id = 215; id <= 218; ++id) office2007.push_back(FromTable(id));
  looks.push_back(Popup("Office 2007(&7)", office2007));
  looks.push_back(Sep());
  looks.push_back(FromTable(ID_LOOK_DARK));
  std::vector<MenuItem> view = {
      Popup("アプリケーションの外観(&A)", looks),
      Popup("ツール バーとドッキング ウィンドウ(&T)", {Cmd(ID_TOOLBAR_PLACEHOLDER, "<placeholder>")}),
      FromTable(ID_STATUS_BAR), FromTable(ID_CAPTION_BAR)};
  std::vector<MenuItem> help = {FromTable(ID_HELP_FINDER), Sep(), FromTable(ID_CHECK_VERSION),
                                FromTable(ID_APP_ABOUT)};
  return {Popup("ファイル(&F)", file), Popup("日付(&D)", dates), Popup("時間(&T)", hours),
          Popup("表示(&V)", view), Popup("ヘルプ(&H)", help)};
}

std::vector<ToolBarInfo> BuildToolBars() {
  std::vector<unsigned> hours;
  for (int h : HourOrder()) hours.push_back(ID_HOUR_FIRST + static_cast<unsigned>(h));
  std::vector<unsigned> days;
  for (unsigned week = 0; week < 3; ++week) {
    if (week > 0) days.push_back(0);
    for (unsigned day = 0; day < 7; ++day) days.push_back(ID_DAY_FIRST + 7 * week + day);
  }
  return {
      {ID_STANDARD_BAR, "StandardBar", "標準", STRIP_STANDARD,
       {ID_DOWNLOAD, ID_SETTINGS, ID_EDIT_CSS, ID_FIND, ID_REDISPLAY, 0, ID_LAST_WEEK, ID_THIS_WEEK, ID_NEXT_WEEK, 0,
        ID_CURRENT_LISTING, ID_DATE_PICKER, ID_LISTING_SELECTOR, 0, ID_APP_EXIT},
       false, true},
      {ID_TIME_BAR, "TimeBar", "時間", STRIP_TIME, hours, false, true},
      {ID_DATE_BAR, "DateBar", "日付", STRIP_DATE, days, true, true},
      {ID_DOWNLOAD_BAR, "DownloadBar", "ダウンロード", STRIP_DOWNLOAD,
       {ID_DOWNLOAD, ID_REDOWNLOAD, ID_REDOWNLOAD_HEADERS}, true, false},
  };
}

}  // namespace

const std::vector<CommandInfo>& CommandTable() {
  static const std::vector<CommandInfo> table = BuildTable();
  return table;
}

CommandOwner OwnerOf(unsigned id) {
  const CommandInfo* info = FindCommand(id);
  return info ? info->owner : CommandOwner::Frame;
}

const CommandInfo* FindCommand(unsigned id) {
  const auto& table = CommandTable();
  auto it = std::lower_bound(table.begin(), table.end(), id,
                             [](const CommandInfo& info, unsigned value) { return info.id < value; });
  return it != table.end() && it->id == id ? &*it : nullptr;
}

const std::vector<MenuItem>& MainMenu() {
  static const std::vector<MenuItem> menu = BuildMainMenu();
  return menu;
}

const std::vector<MenuItem>& DownloadDropMenu() {
  static const std::vector<MenuItem> menu = {Cmd(ID_REDOWNLOAD, "番組表の再ダウンロード(&R)"),
                                             Cmd(ID_REDOWNLOAD_HEADERS, "ヘッダーと番組表の再ダウンロード(&H)")};
  return menu;
}

const std::vector<Accelerator>& Accelerators() {
  static const std::vector<Accelerator> keys = {{"Ctrl+P", ID_PRINT_PREVIEW},
                                                {"Ctrl+F", ID_FIND},
                                                {"Ctrl+D", ID_DOWNLOAD},
                                                {"Shift+F1", ID_CONTEXT_HELP},
                                                {"F1", ID_HELP}};
  return keys;
}

const std::vector<ToolBarInfo>& ToolBars() {
  static const std::vector<ToolBarInfo> bars = BuildToolBars();
  return bars;
}

const ToolBarInfo* FindToolBar(unsigned id) {
  for (const ToolBarInfo& bar : ToolBars())
    if (bar.id == id) return &bar;
  return nullptr;
}

bool ButtonVisibleByDefault(unsigned bar, unsigned button) {
  if (bar == ID_TIME_BAR) {
    static constexpr std::array<int, 9> shown = {1, 4, 7, 10, 13, 16, 19, 21, 23};
    int hour = static_cast<int>(button) - static_cast<int>(ID_HOUR_FIRST);
    return std::find(shown.begin(), shown.end(), hour) != shown.end();
  }
  if (bar == ID_DATE_BAR) return !(button >= ID_DAY_FIRST && button < ID_DAY_FIRST + 7);
  return true;
}

std::string DownloadBarText(unsigned id) {
  switch (id) {
    case ID_DOWNLOAD: return "番組表のダウンロード";
    case ID_REDOWNLOAD: return "番組表の再ダウンロード";
    case ID_REDOWNLOAD_HEADERS: return "ヘッダーと番組表の再ダウンロード";
    default: return {};
  }
}

}  // namespace kanro::frame
