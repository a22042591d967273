#include "taskpane/ui/task_pane_icons.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

#include <array>

namespace kanro::taskpane {
namespace {

struct Glyph {
  QColor tile;
  QString text;
};

Glyph GlyphFor(int index) {
  switch (index) {
    case 0: return {QColor(117, 80, 123), QStringLiteral("編")};
    case 1: return {QColor(206, 92, 0), QStringLiteral("★")};
    case 2: return {QColor(52, 101, 164), QStringLiteral("番")};
    case 3: return {QColor(78, 154, 6), QStringLiteral("↻")};
    case 4: return {QColor(196, 160, 0), QStringLiteral("位")};
    case 5: return {QColor(52, 101, 164), QStringLiteral("検")};
    default: return {QColor(96, 104, 112), QStringLiteral("?")};
  }
}

QIcon Draw(const Glyph& glyph) {
  constexpr int kSize = 16;
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(glyph.tile.darker(140), 1));
  painter.setBrush(glyph.tile);
  painter.drawRoundedRect(QRectF(0.5, 0.5, kSize - 1, kSize - 1), 3, 3);
  QFont font = painter.font();
  font.setPixelSize(11);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, glyph.text);
  painter.end();
  return QIcon(pixmap);
}

}  // namespace

QIcon TaskIcon(int index) {
  // Drawn once: a search result list asks for the same image thousands of times.
  static const std::array<QIcon, kTaskIconCount> icons = [] {
    std::array<QIcon, kTaskIconCount> drawn;
    for (int i = 0; i < kTaskIconCount; ++i) drawn[static_cast<size_t>(i)] = Draw(GlyphFor(i));
    return drawn;
  }();
  if (index < 0 || index >= kTaskIconCount) return {};
  return icons[static_cast<size_t>(index)];
}

}  // namespace kanro::taskpane
