#pragma once
// The view's script work on its pages. On the data page's document: one
// call collects the programme cells, one applies class and id changes, one
// scrolls to a cell, one loads an address in the hidden frame, one shows the
// head rows of a print copy. On the frameset: showing and reloading pages,
// the hour jump, the focus, emptying the hidden frame. The scripts live in
// page_scripts.js and run in the application's script world; each takes one
// JSON value as its arguments.
#include <QString>
#include <QUrl>

#include <functional>
#include <string_view>
#include <vector>

#include "view/page_cells.h"

class QWebEnginePage;

namespace kanro::view {

// The snippet of this name with its document expression and JSON arguments
// put in; empty for a name the file does not have.
QString PageScript(std::string_view name, const QString& document = {}, const QString& arguments = {});
// A text as a JSON (and so script) string literal.
QString JsonString(const QString& text);

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
  // Scrolls to the cell of the programme with this watch ID.
  void ScrollToProgramme(const QString& watchId) const;
  void LoadInHiddenFrame(const QUrl& url) const;
  // done(false) when the document had no body.
  void ShowHeadRows(std::function<void(bool)> done) const;

  // Collects, lets decide change the cells, applies the difference, and
  // waits for it in a local event loop (print copies, which are not on
  // screen). False when the document could not be reached.
  bool MarkAndWait(const std::function<void(std::vector<PageCell>&)>& decide) const;

 private:
  QWebEnginePage* m_page;
  QString m_document;
};

// The frameset's own scripts: the frames "head" and "data" on the top page.
class FramesetDom {
 public:
  explicit FramesetDom(QWebEnginePage* page) : m_page(page) {}
  // Both frames without history entries (fully encoded addresses).
  void ShowPages(const QUrl& head, const QUrl& data) const;
  // The data frame keeps its scroll position.
  void ReloadPages(bool header) const;
  void JumpToAnchor(const QString& name) const;
  void FocusData() const;
  void BlankHiddenFrame() const;

 private:
  void Run(std::string_view name, const QString& arguments = {}) const;
  QWebEnginePage* m_page;
};

}  // namespace kanro::view
