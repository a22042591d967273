#include "settings/ui/page_bar.h"

#include <QFontMetrics>

namespace kanro::settings {

CPageBar::CPageBar(QWidget* parent) : QListWidget(parent) {
  setAccessibleName(QStringLiteral("ページ"));
  // Icon mode puts the caption below the icon; without wrapping the cells
  // stay in one column whatever height the bar had when it was laid out.
  setViewMode(QListView::IconMode);
  setFlow(QListView::TopToBottom);
  setWrapping(false);
  setMovement(QListView::Static);
  setResizeMode(QListView::Adjust);
  setUniformItemSizes(true);
  setWordWrap(true);
  setTextElideMode(Qt::ElideNone);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setIconSize(QSize(kIconSize, kIconSize));
  setFixedWidth(kWidth);
  setGridSize(QSize(kWidth - 2 * frameWidth(), CellHeight()));
}

int CPageBar::CellHeight() const {
  // Icon, a gap, two caption lines for captions that wrap, a margin.
  return kIconSize + 6 + 2 * fontMetrics().height() + 4;
}

void CPageBar::AddPage(const QIcon& icon, const QString& caption) {
  auto* item = new QListWidgetItem(icon, caption, this);
  item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
  // The whole cell, so the caption has the bar's width rather than the
  // icon's and is not cut short.
  item->setSizeHint(gridSize());
  item->setToolTip(caption);
  updateGeometry();
}

QSize CPageBar::sizeHint() const { return minimumSizeHint(); }

QSize CPageBar::minimumSizeHint() const {
  return QSize(kWidth, count() * gridSize().height() + 2 * frameWidth() + 2 * spacing());
}

}  // namespace kanro::settings
