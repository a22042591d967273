#include "frame/message_box_notifier.h"

#include <QApplication>
#include <QMessageBox>

#include "text/codepage.h"

namespace kanro::frame {

void MessageBoxNotifier::Warn(const std::string& text) {
  std::string utf8 = text::Cp932ToUtf8(text);
  QMessageBox::warning(parent_, QStringLiteral("Kanro"), QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

void MessageBoxNotifier::Beep() { QApplication::beep(); }

}  // namespace kanro::frame
