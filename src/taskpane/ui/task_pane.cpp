#include "taskpane/ui/task_pane.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <filesystem>
#include <system_error>

#include "app/keyword_list.h"
#include "app/listing_time.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "taskpane/keyword_search.h"
#include "taskpane/ranking_lines.h"
#include "taskpane/ranking_task_rule.h"
#include "taskpane/result_key.h"
#include "taskpane/ui/task_pane_icons.h"
#include "taskpane/watch_pane_lines.h"
#include "app/clock.h"
#include "text/codepage.h"
#include "view/page_locations.h"

namespace kanro::taskpane {
namespace {

// Item data: the task's command id and its data (hit number, result key).
constexpr int kCommandRole = Qt::UserRole;
constexpr int kDataRole = Qt::UserRole + 1;
// Programme tasks ("放送中", "自動視聴予定"): where a click goes.
constexpr int kEntryRole = Qt::UserRole + 2;
constexpr int kDateRole = Qt::UserRole + 3;
constexpr int kWatchIdRole = Qt::UserRole + 4;
// The command of a programme task: none of the window's commands.
constexpr unsigned kProgrammeTask = 1;

QString FromCp932(const std::string& text) {
  const std::string utf8 = text::Cp932ToUtf8(text);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Tool tips would take text that looks like markup as rich text; its line
// breaks stay.
QString PlainToolTip(const QString& text) {
  QString escaped = text.toHtmlEscaped();
  escaped.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
  return QStringLiteral("<qt>") + escaped + QStringLiteral("</qt>");
}

QTreeWidgetItem* MakeTask(const QString& text, int icon, unsigned command, qlonglong data) {
  auto* task = new QTreeWidgetItem(QStringList{text});
  task->setIcon(0, TaskIcon(icon));
  task->setData(0, kCommandRole, command);
  task->setData(0, kDataRole, data);
  task->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren);
  return task;
}

// A task whose text may be longer than the pane is wide: the tool tip shows it whole.
QTreeWidgetItem* MakeTextTask(const std::string& cp932, int icon, unsigned command, qlonglong data) {
  const QString text = FromCp932(cp932);
  QTreeWidgetItem* task = MakeTask(text, icon, command, data);
  task->setToolTip(0, PlainToolTip(text));
  return task;
}

// Shows the task again however the scope is left (early returns included).
struct ShowTaskOnExit {
  CTaskPane& pane;
  unsigned command;
  ~ShowTaskOnExit() { pane.ShowTask(command, true); }
};

}  // namespace

CTaskPane::CTaskPane(TaskPaneHost& host, bool unattendedStart, QWidget* parent) : QWidget(parent), m_host(host) {
  setObjectName(QStringLiteral("TaskPaneContent"));
  setAccessibleName(QStringLiteral("作業ウィンドウ"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  m_tree = new QTreeWidget(this);
  m_tree->setObjectName(QStringLiteral("TaskTree"));
  m_tree->setAccessibleName(QStringLiteral("作業ウィンドウ"));
  m_tree->setHeaderHidden(true);
  m_tree->setColumnCount(1);
  m_tree->setUniformRowHeights(true);
  m_tree->setIconSize(QSize(16, 16));
  m_tree->setIndentation(14);
  m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_tree->setExpandsOnDoubleClick(false);
  m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
  m_tree->setTabKeyNavigation(false);
  m_tree->setFocusPolicy(Qt::StrongFocus);
  m_tree->setTextElideMode(Qt::ElideRight);
  m_tree->header()->setStretchLastSection(true);
  m_tree->installEventFilter(this);
  layout->addWidget(m_tree);
  connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) { OnItemClicked(item); });

  QTreeWidgetItem* operations = AddGroup(QStringLiteral("操作"));
  // The operation group's caption stands out from the others.
  QFont bold = operations->font(0);
  bold.setBold(true);
  operations->setFont(0, bold);
  operations->setBackground(0, palette().color(QPalette::Highlight).lighter(170));
  operations->addChild(MakeTask(QStringLiteral("キーワード再検索"), 5, app::command::ID_KEYWORD_SEARCH, 0));
  operations->addChild(MakeTask(QStringLiteral("キーワード編集"), 0, app::command::ID_EDIT_KEYWORDS, 0));
  operations->addChild(MakeTask(QStringLiteral("視聴予定ランキング再読込"), 3, app::command::ID_RANKING, 0));
  AddGroup(QStringLiteral("視聴予定ランキング"));
  AddGroup(QStringLiteral("キーワード"));
  AddGroup(QStringLiteral("放送中"));
  AddGroup(QStringLiteral("自動視聴予定"));
  m_minuteTimer = new QTimer(this);
  m_minuteTimer->setInterval(60 * 1000);
  connect(m_minuteTimer, &QTimer::timeout, this, [this] {
    RefreshOnAir();
    ShowAutoWatch();
  });

  const int maxRank = GetProfileInt("Window", "MaxRank", 5);
  const bool launchAuto = GetProfileInt("Download", "LaunchAuto", 0) != 0;
  if (RankingTaskHiddenAtStart(maxRank, launchAuto, unattendedStart)) ShowTask(app::command::ID_RANKING, false);
}

QTreeWidgetItem* CTaskPane::AddGroup(const QString& caption) {
  auto* group = new QTreeWidgetItem(QStringList{caption});
  group->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  group->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  m_tree->addTopLevelItem(group);
  group->setExpanded(true);
  return group;
}

void CTaskPane::ClearTasks(QTreeWidgetItem* group) { qDeleteAll(group->takeChildren()); }

QTreeWidgetItem* CTaskPane::Group(int index) const { return m_tree->topLevelItem(index); }

int CTaskPane::GroupCount() const { return m_tree->topLevelItemCount(); }

QTreeWidgetItem* CTaskPane::OperationTask(unsigned commandId) const {
  QTreeWidgetItem* operations = Group(kOperationGroup);
  for (int i = 0; i < operations->childCount(); ++i) {
    QTreeWidgetItem* task = operations->child(i);
    if (task->data(0, kCommandRole).toUInt() == commandId) return task;
  }
  return nullptr;
}

QStringList CTaskPane::TaskTexts(int group) const {
  QStringList texts;
  if (QTreeWidgetItem* item = Group(group)) {
    for (int i = 0; i < item->childCount(); ++i) texts << item->child(i)->text(0);
  }
  return texts;
}

void CTaskPane::ShowTask(unsigned commandId, bool show) {
  if (QTreeWidgetItem* task = OperationTask(commandId)) task->setHidden(!show);
}

bool CTaskPane::TaskVisible(unsigned commandId) const {
  QTreeWidgetItem* task = OperationTask(commandId);
  return task != nullptr && !task->isHidden();
}

void CTaskPane::ShowChainTasks() {
  ShowTask(app::command::ID_RANKING, true);
  ShowTask(app::command::ID_KEYWORD_SEARCH, true);
}

void CTaskPane::HideRankingTask() { ShowTask(app::command::ID_RANKING, false); }

// ---- keyword search ---------------------------------------------------------

void CTaskPane::SearchKeywords(const std::vector<std::string>& entries) {
  ShowTask(app::command::ID_KEYWORD_SEARCH, false);
  const ShowTaskOnExit reshow{*this, app::command::ID_KEYWORD_SEARCH};
  ++m_searchCount;
  ShowResultGroups({});
  KeywordSearchRequest request;
  request.entries = entries;
  app::LoadKeywords(request.keywords);
  if (request.keywords.empty()) return;
  request.today = app::DateNumber(app::GetListingTime());
  request.dataFolder = app::DataFolder();
  ShowResultGroups(BuildResultGroups(RunKeywordSearch(request)));
}

void CTaskPane::ShowResultGroups(const std::vector<ResultGroup>& groups) {
  // Thousands of results: build the items first and hand them over at once.
  m_tree->setUpdatesEnabled(false);
  while (m_tree->topLevelItemCount() > kFirstResultGroup) delete m_tree->takeTopLevelItem(kFirstResultGroup);
  m_resultKeywords.clear();
  QList<QTreeWidgetItem*> captions;
  captions.reserve(static_cast<qsizetype>(groups.size()));
  for (const ResultGroup& group : groups) {
    auto* caption = new QTreeWidgetItem(QStringList{FromCp932(group.caption)});
    caption->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    caption->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    if (group.marked) {
      caption->setForeground(0, QColor(170, 30, 30));
      caption->setToolTip(0, PlainToolTip(FromCp932(group.toolTip)));
    }
    QList<QTreeWidgetItem*> tasks;
    tasks.reserve(static_cast<qsizetype>(group.tasks.size()));
    for (const ResultTask& result : group.tasks)
      tasks.push_back(MakeTextTask(result.text, 2, app::command::ID_SHOW_LISTINGS, static_cast<qlonglong>(result.key)));
    caption->addChildren(tasks);
    captions.push_back(caption);
    m_resultKeywords.push_back(group.keyword);
  }
  m_tree->addTopLevelItems(captions);
  for (QTreeWidgetItem* caption : captions) caption->setExpanded(true);
  m_tree->setUpdatesEnabled(true);
}

// ---- on now, and the watch rules' marks -----------------------------------------

namespace {

void FillProgrammeTasks(QTreeWidgetItem* group, const std::vector<PaneLine>& lines, int icon) {
  QList<QTreeWidgetItem*> tasks;
  for (const PaneLine& line : lines) {
    const QString text = QString::fromStdString(line.text);
    QTreeWidgetItem* task = MakeTask(text, icon, kProgrammeTask, 0);
    task->setToolTip(0, PlainToolTip(line.toolTip.empty() ? text : QString::fromStdString(line.toolTip)));
    task->setData(0, kEntryRole, QString::fromStdString(line.entry));
    task->setData(0, kDateRole, QString::fromStdString(line.date));
    task->setData(0, kWatchIdRole, QString::fromStdString(line.watchId));
    if (line.flagged) task->setForeground(0, QColor(170, 30, 30));
    tasks.push_back(task);
  }
  group->addChildren(tasks);
}

}  // namespace

void CTaskPane::ShowOnAir(const std::string& entry) {
  m_onAirEntry = entry;
  RefreshOnAir();
  if (!m_minuteTimer->isActive()) m_minuteTimer->start();
}

void CTaskPane::RefreshOnAir() {
  QTreeWidgetItem* group = Group(kOnAirGroup);
  ClearTasks(group);
  if (m_onAirEntry.empty()) return;
  view::ListingDayCache pages;
  FillProgrammeTasks(group, OnAirLines(m_onAirEntry, app::DateNumber(app::GetListingTime()), app::Now(), pages), 2);
}

void CTaskPane::ShowAutoWatch() {
  QTreeWidgetItem* group = Group(kAutoWatchGroup);
  ClearTasks(group);
  view::ListingDayCache pages;
  const int today = app::DateNumber(app::GetListingTime());
  FillProgrammeTasks(group, OverlapNotes(today, pages), 1);
  FillProgrammeTasks(group, AutoMarkedLines(today, pages), 2);
  if (!m_minuteTimer->isActive()) m_minuteTimer->start();
}

// ---- keyword hits of the page -------------------------------------------------

void CTaskPane::ShowPageKeywords(const std::map<int, std::string>& hits, const std::filesystem::path& page,
                                 const std::map<int, view::PageHitText>& texts) {
  QTreeWidgetItem* group = Group(kPageHitGroup);
  m_tree->setUpdatesEnabled(false);
  ClearTasks(group);
  QList<QTreeWidgetItem*> tasks;
  tasks.reserve(static_cast<qsizetype>(hits.size()));
  for (const auto& [number, text] : hits) {
    const auto described = texts.find(number);
    if (described == texts.end() || described->second.label.empty()) {
      tasks.push_back(MakeTextTask(text, 1, app::command::ID_SHOW_KEYWORDS, number));
      continue;
    }
    QTreeWidgetItem* task = MakeTask(FromCp932(described->second.label), 1, app::command::ID_SHOW_KEYWORDS, number);
    task->setToolTip(0, PlainToolTip(FromCp932(described->second.whole)));
    tasks.push_back(task);
  }
  group->addChildren(tasks);
  m_tree->setUpdatesEnabled(true);
  if (const std::optional<int> target = m_pending.Take(hits, page)) m_host.ScrollToCell(*target);
  Q_EMIT pageKeywordsShown(QString::fromStdString(page.string()));
}

// ---- ranking ------------------------------------------------------------------

void CTaskPane::ShowRanking(const std::string& file) {
  // The whole response is read and checked before the list changes, so an
  // unreadable or empty answer keeps the ranking shown.
  const std::optional<std::vector<std::string>> lines = ReadRankingFile(file);
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
  if (!lines || lines->empty()) return;
  QTreeWidgetItem* group = Group(kRankingGroup);
  ClearTasks(group);
  QList<QTreeWidgetItem*> tasks;
  for (const std::string& line : *lines) tasks.push_back(MakeTextTask(line, 4, 0, 0));
  group->addChildren(tasks);
}

// ---- clicks and keys ------------------------------------------------------------

void CTaskPane::OnItemClicked(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  if (item->parent() == nullptr) {
    item->setExpanded(!item->isExpanded());
    return;
  }
  ActivateTask(item);
}

void CTaskPane::ActivateTask(QTreeWidgetItem* task) {
  if (task == nullptr || task->parent() == nullptr) return;
  const unsigned command = task->data(0, kCommandRole).toUInt();
  switch (command) {
    case 0: break;  // a ranking line
    case kProgrammeTask:
      m_host.ShowProgramme(task->data(0, kEntryRole).toString().toStdString(),
                           task->data(0, kDateRole).toString().toStdString(),
                           task->data(0, kWatchIdRole).toString().toStdString());
      break;
    case app::command::ID_SHOW_LISTINGS: OnResultClicked(task); break;
    case app::command::ID_SHOW_KEYWORDS: m_host.ScrollToCell(task->data(0, kDataRole).toInt()); break;
    default: m_host.OnTaskCommand(command); break;
  }
}

void CTaskPane::OnResultClicked(QTreeWidgetItem* task) {
  const int groupIndex = m_tree->indexOfTopLevelItem(task->parent()) - kFirstResultGroup;
  if (groupIndex < 0 || static_cast<size_t>(groupIndex) >= m_resultKeywords.size()) return;
  const std::vector<std::string>& entries = m_host.ListingEntries();
  const std::optional<ResultTarget> target =
      DecodeResultKey(static_cast<ResultKey>(task->data(0, kDataRole).toLongLong()), entries.size());
  if (!target) return;
  // Pending before the day is asked for: the page's hits may come back
  // while the view is still being told.
  m_pending.Set(m_resultKeywords[static_cast<size_t>(groupIndex)],
                view::DataPagePath(target->date, entries[target->entryIndex]));
  if (!m_host.ShowListingDay(target->entryIndex, target->date)) m_pending.Drop();
}

bool CTaskPane::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_tree && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool activates = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space;
    if (activates && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      OnItemClicked(m_tree->currentItem());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kanro::taskpane
