#pragma once
// The task pane's content. For now it only shows what the chain hands it:
// the keyword search runs and its hit count is shown, the ranking file is
// taken and deleted. The full pane (result lists, ranking list, tasks) fills
// these same calls in.
#include <QWidget>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

class QLabel;

namespace kanro::taskpane {

class CTaskPane : public QWidget {
  Q_OBJECT

 public:
  explicit CTaskPane(QWidget* parent = nullptr);

  // The keyword search over the data pages of these listing entries.
  void SearchKeywords(const std::vector<std::string>& entries);
  // The keyword hits of the data page shown (cell number -> matched text).
  void ShowPageKeywords(const std::map<int, std::string>& hits, const std::filesystem::path& page);
  // The ranking text in file (CP932); the file is deleted.
  void ShowRanking(const std::string& file);
  // Tasks 31003 (ranking reload) and 31012 (keyword search).
  void ShowChainTasks();
  void HideRankingTask();
  bool RankingTaskVisible() const { return m_rankingTaskVisible; }

  int SearchCount() const { return m_searchCount; }
  int RankingCount() const { return m_rankingCount; }

 private:
  QLabel* m_summary = nullptr;
  bool m_rankingTaskVisible = true;
  int m_searchCount = 0;
  int m_rankingCount = 0;
};

}  // namespace kanro::taskpane
