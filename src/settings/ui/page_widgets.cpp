#include "settings/ui/page_widgets.h"

#include "settings/ui/desktop_link.h"

namespace kanro::settings {

void CGatedSelectionModel::select(const QItemSelection& selection, SelectionFlags command) {
  if (!bypass && gate) {
    int row = -2;  // unchanged
    if ((command & Select) && !selection.isEmpty()) row = selection.indexes().first().row();
    else if (command & (Clear | Deselect)) row = -1;
    const int current = selectedRows().isEmpty() ? -1 : selectedRows().first().row();
    if (row != -2 && row != current && !gate(row)) return;
  }
  QItemSelectionModel::select(selection, command);
}

QPushButton* MakeButton(const QString& text, const QString& tip, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setToolTip(tip);
  button->setAccessibleName(text);
  return button;
}

QLabel* MakeRegexLink(QWidget* parent) {
  auto* link = new QLabel(QStringLiteral("<a href=\"https://tc39.es/ecma262/#sec-regexp-regular-expression-objects\">"
                                         "TR1 の正規表現(ECMAScript)を使用することが出来ます。</a>"),
                          parent);
  link->setTextFormat(Qt::RichText);  // our own fixed text
  OpenLinksThroughDesktop(link);
  link->setToolTip(QStringLiteral("TR1 の正規表現"));
  link->setAccessibleName(QStringLiteral("TR1 の正規表現(ECMAScript)を使用することが出来ます。"));
  return link;
}

}  // namespace kanro::settings
