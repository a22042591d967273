#pragma once
// The task pane in the main window's dock: group 0 "操作" with the three
// operation tasks, group 1 the viewing-plan ranking, group 2 the keyword hits
// of the page on screen, group 3 "放送中" (on now and next, refreshed each
// minute), group 4 "自動視聴予定" (what the watch rules marked, and notes on
// overlapping marks), and from group 5 on one group per keyword of the last
// keyword search. One tree holds them all: captions are the top-level
// items (a click collapses or expands them), tasks their children. A task
// acts on a single click, or on Enter or Space when it has the focus.
#include <QWidget>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "taskpane/pending_scroll.h"
#include "taskpane/result_groups.h"
#include "taskpane/ui/task_pane_host.h"
#include "view/page_hit_text.h"

class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace kanro::taskpane {

class CTaskPane : public QWidget {
  Q_OBJECT

 public:
  // Group indexes; result groups follow from kFirstResultGroup on.
  static constexpr int kOperationGroup = 0;
  static constexpr int kRankingGroup = 1;
  static constexpr int kPageHitGroup = 2;
  static constexpr int kOnAirGroup = 3;
  static constexpr int kAutoWatchGroup = 4;
  static constexpr int kFirstResultGroup = 5;

  // unattendedStart: the program was started with "/d"; with the settings it
  // decides whether task 31003 starts hidden.
  CTaskPane(TaskPaneHost& host, bool unattendedStart, QWidget* parent = nullptr);

  // The keyword search over the data pages of these listing entries, from
  // today on; replaces the result groups. Task 31012 is hidden meanwhile.
  void SearchKeywords(const std::vector<std::string>& entries);
  // Replaces the result groups (what SearchKeywords shows).
  void ShowResultGroups(const std::vector<ResultGroup>& groups);
  // The keyword hits of the data page (cell number -> matched text, CP932);
  // scrolls to the first hit of the keyword of a result just clicked. Each
  // hit is listed as its entry of texts says (start, channel, title; the
  // whole cell in the tool tip), else as its matched text.
  void ShowPageKeywords(const std::map<int, std::string>& hits, const std::filesystem::path& page,
                        const std::map<int, view::PageHitText>& texts = {});
  // The ranking text in file (CP932) replaces the ranking lines when it has
  // at least one line; the file is deleted either way.
  void ShowRanking(const std::string& file);
  // "放送中" for this listing entry, now and every minute from now on.
  void ShowOnAir(const std::string& entry);
  // "自動視聴予定" read anew: the overlap notes, then the marked programmes.
  void ShowAutoWatch();
  // Tasks 31003 (ranking reload) and 31012 (keyword search) shown again.
  void ShowChainTasks();
  void HideRankingTask();
  // Shows or hides the operation task with this command id.
  void ShowTask(unsigned commandId, bool show);
  bool TaskVisible(unsigned commandId) const;
  bool RankingTaskVisible() const { return TaskVisible(app::command::ID_RANKING); }

  // Runs what a click on the task does.
  void ActivateTask(QTreeWidgetItem* task);

  // For tests: the tree, a group's caption item, a task by command id.
  QTreeWidget* Tree() const { return m_tree; }
  QTreeWidgetItem* Group(int index) const;
  QTreeWidgetItem* OperationTask(unsigned commandId) const;
  int GroupCount() const;
  // The texts of a group's tasks, in order.
  QStringList TaskTexts(int group) const;
  const std::string& PendingKeyword() const { return m_pending.Keyword(); }
  int SearchCount() const { return m_searchCount; }

 Q_SIGNALS:
  // The keyword hits of this data page are listed (and scrolled to).
  void pageKeywordsShown(const QString& page);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTreeWidgetItem* AddGroup(const QString& caption);
  void ClearTasks(QTreeWidgetItem* group);
  void OnItemClicked(QTreeWidgetItem* item);
  void OnResultClicked(QTreeWidgetItem* task);
  void RefreshOnAir();

  TaskPaneHost& m_host;
  QTreeWidget* m_tree = nullptr;
  // The keywords (CP932) of the result groups, from kFirstResultGroup on.
  std::vector<std::string> m_resultKeywords;
  // The clicked result's keyword, waiting for the hits of its page.
  PendingScroll m_pending;
  int m_searchCount = 0;
  std::string m_onAirEntry;
  QTimer* m_minuteTimer = nullptr;
};

}  // namespace kanro::taskpane
