#pragma once
// The view's work on the data page's document: one script call collects the
// programme cells, one applies class and id changes, one scrolls to a cell,
// one loads an address in the hidden frame. The scripts live in
// page_scripts.js and run in the application's script world.
#include <QString>
#include <QUrl>

#include <functional>
#include <vector>

#include "view/page_cells.h"

class QWebEnginePage;

namespace kanro::view {

class PageDom {
 public:
  // document: a script expression for the data document, e.g.
  // "window.frames['data'].document" on the frameset or "document".
  PageDom(QWebEnginePage* page, QString document);

  void Collect(std::function<void(PageCells)> done) const;
  // done(false) when the document is no longer the one collected.
  void Apply(const QString& generation, const std::vector<CellChange>& changes,
             std::function<void(bool)> done) const;
  void ScrollToCellId(const QString& id) const;
  void LoadInHiddenFrame(const QUrl& url) const;

  // Collects, lets decide change the cells, applies the difference, and
  // waits for it in a local event loop (print copies, which are not on
  // screen). False when the document could not be reached.
  bool MarkAndWait(const std::function<void(std::vector<PageCell>&)>& decide) const;

 private:
  QString Script(const char* name, const QString& arguments = {}) const;
  QWebEnginePage* m_page;
  QString m_document;
};

}  // namespace kanro::view
