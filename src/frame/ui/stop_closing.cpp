#include "frame/ui/stop_closing.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QWidget>

namespace kanro::frame {
namespace {

// Enough for any stack of boxes the program opens on top of each other.
constexpr int kMaxModalDepth = 16;
constexpr int kStepMs = 50;

// Answers the innermost modal dialog as Escape would; false when none is open
// or it would not close.
bool EndInnermostModal() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr) return false;
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(modal, &escape);
  // A box without an answer for Escape is closed all the same.
  if (modal->isVisible()) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    else modal->close();
  }
  return !modal->isVisible();
}

}  // namespace

CStopClosing::CStopClosing(QWidget& window, QObject* parent) : QObject(parent), m_window(window) {
  m_timer.setInterval(kStepMs);
  connect(&m_timer, &QTimer::timeout, this, [this] { Step(); });
}

void CStopClosing::Stop() {
  if (m_timer.isActive()) return;
  m_timer.start();
  Step();
}

void CStopClosing::Step() {
  for (int depth = 0; depth < kMaxModalDepth; ++depth)
    if (!EndInnermostModal()) break;
  if (QApplication::activeModalWidget() != nullptr) return;  // again on the next step
  if (!m_closeAsked) {
    // A running worker is cancelled; the window closes itself once it ends.
    m_closeAsked = true;
    m_window.close();
  }
  // Asked again on every step: a quit before the main loop runs is lost.
  if (!m_window.isVisible()) QCoreApplication::quit();
}

}  // namespace kanro::frame
