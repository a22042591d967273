#include "frame/ui/app_look_style.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

#include "frame/app_look.h"

namespace kanro::frame {
namespace {

// A light palette from a window colour, a base colour and a highlight.
QPalette Light(QColor window, QColor base, QColor highlight, QColor button) {
  QPalette p;
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, QColor(20, 20, 20));
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, window.lighter(104));
  p.setColor(QPalette::Text, QColor(20, 20, 20));
  p.setColor(QPalette::Button, button);
  p.setColor(QPalette::ButtonText, QColor(20, 20, 20));
  p.setColor(QPalette::Highlight, highlight);
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
  p.setColor(QPalette::ToolTipText, Qt::black);
  p.setColor(QPalette::Disabled, QPalette::Text, QColor(140, 140, 140));
  p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(140, 140, 140));
  p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(140, 140, 140));
  return p;
}

QPalette Dark() {
  QPalette p;
  p.setColor(QPalette::Window, QColor(45, 45, 48));
  p.setColor(QPalette::WindowText, QColor(230, 230, 230));
  p.setColor(QPalette::Base, QColor(30, 30, 30));
  p.setColor(QPalette::AlternateBase, QColor(50, 50, 54));
  p.setColor(QPalette::Text, QColor(230, 230, 230));
  p.setColor(QPalette::Button, QColor(60, 60, 64));
  p.setColor(QPalette::ButtonText, QColor(230, 230, 230));
  p.setColor(QPalette::Highlight, QColor(0, 122, 204));
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::ToolTipBase, QColor(60, 60, 64));
  p.setColor(QPalette::ToolTipText, QColor(230, 230, 230));
  p.setColor(QPalette::BrightText, Qt::red);
  p.setColor(QPalette::Link, QColor(86, 156, 214));
  p.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
  p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
  p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
  return p;
}

}  // namespace

QPalette LookPaletteFor(int look) {
  switch (LookFor(look).palette) {
    case LookPalette::Classic: return Light(QColor(212, 208, 200), Qt::white, QColor(10, 36, 106), QColor(212, 208, 200));
    case LookPalette::OfficeXp: return Light(QColor(246, 244, 240), Qt::white, QColor(49, 106, 197), QColor(236, 233, 216));
    case LookPalette::WindowsXp: return Light(QColor(236, 233, 216), Qt::white, QColor(49, 106, 197), QColor(244, 243, 238));
    case LookPalette::Office2003: return Light(QColor(218, 232, 252), Qt::white, QColor(255, 211, 120), QColor(196, 218, 250));
    case LookPalette::Blue: return Light(QColor(205, 222, 244), Qt::white, QColor(72, 128, 205), QColor(222, 234, 250));
    case LookPalette::Black:
    case LookPalette::Dark: return Dark();
    case LookPalette::Silver: return Light(QColor(222, 224, 228), QColor(250, 250, 252), QColor(110, 120, 136), QColor(232, 234, 238));
    case LookPalette::Aqua: return Light(QColor(214, 235, 240), Qt::white, QColor(40, 150, 170), QColor(226, 244, 246));
    case LookPalette::Standard: break;
  }
  return Light(QColor(239, 239, 242), Qt::white, QColor(51, 153, 255), QColor(246, 246, 248));
}

void ApplyApplicationLook(int look) {
  LookInfo info = LookFor(look);
  if (QStyle* style = QStyleFactory::create(QString::fromLatin1(info.styleName))) QApplication::setStyle(style);
  QApplication::setPalette(LookPaletteFor(look));
}

}  // namespace kanro::frame
