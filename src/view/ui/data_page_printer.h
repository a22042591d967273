#pragma once
// Prints one data page whole: every hour, not just what is on screen, with
// the channel names of its hidden head rows shown. The page is loaded alone
// in a hidden view of its own (the frameset would print only what is visible).
#include <QUrl>

#include <memory>

class QPrinter;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

namespace kanro::view {

class ViewPage;

class DataPagePrinter {
 public:
  explicit DataPagePrinter(QWebEngineProfile* profile);
  ~DataPagePrinter();
  DataPagePrinter(const DataPagePrinter&) = delete;
  DataPagePrinter& operator=(const DataPagePrinter&) = delete;

  // Loads the page and shows its head rows, waiting with events processed.
  // False when it did not load.
  bool Load(const QUrl& dataPage);
  // Prints the loaded page; false when printing failed or nothing is loaded.
  bool Print(QPrinter& printer);

  QWebEnginePage* Page() const;

 private:
  std::unique_ptr<QWebEngineView> m_view;
  ViewPage* m_page = nullptr;
  bool m_loaded = false;
};

}  // namespace kanro::view
