#include "view/page_cells.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QVariantList>
#include <QVariantMap>

#include <algorithm>

namespace kanro::view {

namespace {

bool IsAsciiLetter(char32_t c) { return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z'); }

char32_t ToUpperAscii(char32_t c) { return (c >= U'a' && c <= U'z') ? c - U'a' + U'A' : c; }

QJsonValue OptionalText(const std::optional<std::u32string>& text) {
  if (!text) return QJsonValue(QJsonValue::Null);
  return QJsonValue(QString::fromStdU32String(*text));
}

}  // namespace

PageCells ParsePageCells(const QVariant& result) {
  PageCells parsed;
  const QVariantMap object = result.toMap();
  const auto generation = object.find(QStringLiteral("generation"));
  const auto cells = object.find(QStringLiteral("cells"));
  if (generation == object.end() || cells == object.end()) return parsed;
  if (generation->typeId() != QMetaType::QString || generation->toString().isEmpty()) return parsed;
  if (cells->typeId() != QMetaType::QVariantList) return parsed;
  const QVariantList list = cells->toList();
  parsed.cells.reserve(static_cast<size_t>(list.size()));
  for (const QVariant& item : list) {
    const QVariantList fields = item.toList();
    if (fields.size() != 4) return PageCells{};
    PageCell cell;
    cell.markup = NormalizeTagNames(fields[0].toString().toStdU32String());
    cell.text = fields[1].toString().toStdU32String();
    cell.className = fields[2].toString().toStdU32String();
    cell.id = fields[3].toString().toStdU32String();
    parsed.cells.push_back(std::move(cell));
  }
  parsed.generation = generation->toString();
  parsed.ok = true;
  return parsed;
}

std::u32string NormalizeTagNames(std::u32string_view markup) {
  std::u32string out(markup);
  size_t i = 0;
  const size_t n = out.size();
  while (i < n) {
    if (out[i] != U'<') {
      ++i;
      continue;
    }
    size_t name = i + 1;
    if (name < n && out[name] == U'/') ++name;
    if (name >= n || !IsAsciiLetter(out[name])) {
      // Not a tag ("<!--", "< ", a stray "<"): go on after it.
      ++i;
      continue;
    }
    while (name < n && out[name] != U'>' && out[name] != U'/' && out[name] != U' ' && out[name] != U'\t' &&
           out[name] != U'\n' && out[name] != U'\r' && out[name] != U'\f') {
      out[name] = ToUpperAscii(out[name]);
      ++name;
    }
    // Skip the attributes; a ">" or "<" inside a quoted value is not the tag's end.
    char32_t quote = 0;
    size_t end = name;
    for (; end < n; ++end) {
      const char32_t c = out[end];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == U'"' || c == U'\'') {
        quote = c;
      } else if (c == U'>') {
        break;
      }
    }
    i = end < n ? end + 1 : n;
  }
  return out;
}

void ApplyCellChanges(std::vector<PageCell>& cells, const std::vector<CellChange>& changes) {
  for (const CellChange& change : changes) {
    if (change.cell >= cells.size()) continue;
    if (change.className) cells[change.cell].className = *change.className;
    if (change.id) cells[change.cell].id = *change.id;
  }
}

std::vector<CellChange> DiffCells(const std::vector<PageCell>& before, const std::vector<PageCell>& after) {
  std::vector<CellChange> changes;
  const size_t count = std::min(before.size(), after.size());
  for (size_t i = 0; i < count; ++i) {
    CellChange change;
    change.cell = i;
    if (before[i].className != after[i].className) change.className = after[i].className;
    if (before[i].id != after[i].id) change.id = after[i].id;
    if (change.className || change.id) changes.push_back(std::move(change));
  }
  return changes;
}

QString CellChangesJson(const std::vector<CellChange>& changes) {
  QJsonArray array;
  for (const CellChange& change : changes)
    array.append(QJsonArray{static_cast<qint64>(change.cell), OptionalText(change.className), OptionalText(change.id)});
  return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

}  // namespace kanro::view
