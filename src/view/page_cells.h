#pragma once
// The programme cells of a data page as the view sees them: the page script
// collects the programme cells (TD elements; one programme laid out as a
// table inside its cell counts once, as the outer cell) in document order, and
// returns them as JSON; this turns that into plain values the watch marks and
// the keyword highlighting decide on, and turns their decisions back into
// the list of class and id changes the apply script writes.
#include <QString>
#include <QVariant>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanro::view {

struct PageCell {
  // Inner markup with tag names in capitals ("<STRONG>", "</A>"), as the
  // decisions expect whatever the browser engine returns. Entities stay as
  // the engine serialises them ("&amp;").
  std::u32string markup;
  // All text of the cell, hidden text included (textContent): the default
  // rewrite rule hides the new-series marker the default keyword looks for.
  std::u32string text;
  std::u32string className;
  std::u32string id;
};

struct PageCells {
  bool ok = false;     // false: the document could not be reached
  QString generation;  // the token stamped on the document collected
  std::vector<PageCell> cells;
};

// Parses what the collect script returned (runJavaScript's QVariant). Anything
// malformed gives ok == false.
PageCells ParsePageCells(const QVariant& result);

// Tag names in capitals; attribute names and values, text and entities unchanged.
std::u32string NormalizeTagNames(std::u32string_view markup);

// One cell's new class and/or id. Cells without a change are not listed.
struct CellChange {
  size_t cell = 0;  // index into PageCells::cells
  std::optional<std::u32string> className;
  std::optional<std::u32string> id;
};

// Writes the changes into the cells, so a later decision sees them (the
// keyword pass appends to the class the watch pass left).
void ApplyCellChanges(std::vector<PageCell>& cells, const std::vector<CellChange>& changes);
// The changes that turn before into after (same cells, same order).
std::vector<CellChange> DiffCells(const std::vector<PageCell>& before, const std::vector<PageCell>& after);

// The changes as the apply script's argument: [[cell, class or null, id or null], ...].
QString CellChangesJson(const std::vector<CellChange>& changes);

}  // namespace kanro::view
