#include "frame/ui/tool_images.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <array>

namespace kanro::frame {
namespace {

struct Glyph {
  QColor tile;        // background tile
  QString text;       // one or two characters drawn on it
  bool downArrow = false;
  bool circle = false;  // a clock face instead of a tile
};

const QColor kBlue(52, 101, 164);
const QColor kGreen(78, 154, 6);
const QColor kOrange(206, 92, 0);
const QColor kGray(96, 104, 112);
const QColor kRed(190, 40, 40);
const QColor kPurple(117, 80, 123);

Glyph StandardGlyph(int index) {
  switch (index) {
    case 0: return {kGreen, QString(), true};
    case 1: return {kGray, QStringLiteral("設")};
    case 2: return {kPurple, QStringLiteral("C")};
    case 3: return {kBlue, QStringLiteral("検")};
    case 4: return {kGreen, QStringLiteral("再")};
    case 5: return {kBlue, QStringLiteral("◀")};
    case 6: return {kBlue, QStringLiteral("●")};
    case 7: return {kBlue, QStringLiteral("▶")};
    case 8: return {kOrange, QStringLiteral("今")};
    case 9: return {kBlue, QStringLiteral("日")};
    case 10: return {kBlue, QStringLiteral("局")};
    case 11: return {kRed, QStringLiteral("×")};
    default: return {kGray, QStringLiteral("?")};
  }
}

Glyph GlyphFor(const CommandInfo& info) {
  switch (info.strip) {
    case STRIP_STANDARD: return StandardGlyph(info.image);
    case STRIP_TIME: {
      int hour = (info.image + 4) % 24;
      return {QColor(32, 74, 135), QString::asprintf("%d", hour), false, true};
    }
    case STRIP_DATE: {
      static const std::array<const char*, 7> days = {"日", "月", "火", "水", "木", "金", "土"};
      int weekday = info.image % 7;
      QColor tile = weekday == 0 ? kRed : weekday == 6 ? kBlue : kGray;
      return {tile, QString::fromUtf8(days[static_cast<size_t>(weekday)])};
    }
    case STRIP_DOWNLOAD:
      return {kGreen, info.image == 1 ? QStringLiteral("再") : info.image == 2 ? QStringLiteral("頭") : QString(),
              info.image == 0};
    case STRIP_MENU: {
      static const std::array<const char*, 5> marks = {"初", "V", "印", "?", "i"};
      return {info.image == 0 ? kRed : kBlue,
              QString::fromUtf8(marks[static_cast<size_t>(std::clamp(info.image, 0, 4))])};
    }
    default: return {};
  }
}

QPixmap Draw(const Glyph& glyph, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal margin = size / 16.0;
  QRectF box(margin, margin, size - 2 * margin, size - 2 * margin);
  painter.setPen(QPen(glyph.tile.darker(140), size / 16.0));
  painter.setBrush(glyph.circle ? QColor(250, 250, 245) : glyph.tile);
  if (glyph.circle) painter.drawEllipse(box);
  else painter.drawRoundedRect(box, size / 5.0, size / 5.0);
  if (glyph.downArrow) {
    QPainterPath arrow;
    const qreal s = size;
    arrow.moveTo(s * 0.40, s * 0.18);
    arrow.lineTo(s * 0.60, s * 0.18);
    arrow.lineTo(s * 0.60, s * 0.48);
    arrow.lineTo(s * 0.78, s * 0.48);
    arrow.lineTo(s * 0.50, s * 0.82);
    arrow.lineTo(s * 0.22, s * 0.48);
    arrow.lineTo(s * 0.40, s * 0.48);
    arrow.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(arrow);
  }
  if (!glyph.text.isEmpty()) {
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(glyph.text.size() > 1 ? size * 9 / 16 : size * 11 / 16);
    painter.setFont(font);
    painter.setPen(glyph.circle ? glyph.tile : QColor(Qt::white));
    painter.drawText(box, Qt::AlignCenter, glyph.text);
  }
  return pixmap;
}

QIcon IconOf(const Glyph& glyph) {
  QIcon icon;
  icon.addPixmap(Draw(glyph, 16));
  icon.addPixmap(Draw(glyph, 32));
  return icon;
}

}  // namespace

QIcon CommandImage(const CommandInfo& info) {
  if (info.strip == STRIP_NONE || info.image < 0) return {};
  return IconOf(GlyphFor(info));
}

QIcon InformationImage() { return IconOf({kBlue, QStringLiteral("i")}); }

QIcon ProgramIcon() { return IconOf({QColor(170, 60, 40), QStringLiteral("観")}); }

}  // namespace kanro::frame
