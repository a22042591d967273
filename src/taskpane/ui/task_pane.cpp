#include "taskpane/ui/task_pane.h"

#include <QLabel>
#include <QVBoxLayout>

#include <filesystem>
#include <system_error>

#include "app/keyword_list.h"
#include "app/listing_time.h"
#include "app/paths.h"
#include "taskpane/keyword_search.h"

namespace kanro::taskpane {

CTaskPane::CTaskPane(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TaskPaneContent"));
  setAccessibleName(QStringLiteral("作業ウィンドウ"));
  auto* layout = new QVBoxLayout(this);
  m_summary = new QLabel(this);
  m_summary->setTextFormat(Qt::PlainText);
  m_summary->setWordWrap(true);
  m_summary->setAccessibleName(QStringLiteral("キーワード検索"));
  layout->addWidget(m_summary);
  layout->addStretch(1);
}

void CTaskPane::SearchKeywords(const std::vector<std::string>& entries) {
  KeywordSearchRequest request;
  request.entries = entries;
  app::LoadKeywords(request.keywords);
  request.today = app::DateNumber(app::GetListingTime());
  request.dataFolder = app::DataFolder();
  std::vector<KeywordResults> results = RunKeywordSearch(request);
  size_t hits = 0;
  for (const KeywordResults& keyword : results) hits += keyword.results.size();
  ++m_searchCount;
  m_summary->setText(QStringLiteral("キーワード: %1 件").arg(hits));
}

void CTaskPane::ShowPageKeywords(const std::map<int, std::string>&, const std::filesystem::path&) {}

void CTaskPane::ShowRanking(const std::string& file) {
  ++m_rankingCount;
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
}

void CTaskPane::ShowChainTasks() { m_rankingTaskVisible = true; }

void CTaskPane::HideRankingTask() { m_rankingTaskVisible = false; }

}  // namespace kanro::taskpane
