#include "view/ui/internal_windows.h"

#include <QGuiApplication>
#include <QWindow>

namespace kanro::view {

void KeepInternalWindowsFromScreenReaders() {
  for (QWindow* window : QGuiApplication::topLevelWindows()) {
    // Widgets' windows are shown; the web view's internal ones never are.
    if (window->isVisible() || !window->inherits("QQuickWindow") || window->type() == Qt::Popup) continue;
    window->setFlags((window->flags() & ~Qt::WindowType_Mask) | Qt::Popup);
  }
}

}  // namespace kanro::view
