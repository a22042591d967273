#include "view/page_cells.h"

namespace kanro::view {

PageCells ParsePageCells(const QVariant&) { return {}; }
std::u32string NormalizeTagNames(std::u32string_view markup) { return std::u32string(markup); }
void ApplyCellChanges(std::vector<PageCell>&, const std::vector<CellChange>&) {}
std::vector<CellChange> DiffCells(const std::vector<PageCell>&, const std::vector<PageCell>&) { return {}; }
QString CellChangesJson(const std::vector<CellChange>&) { return QStringLiteral("[]"); }

}  // namespace kanro::view
