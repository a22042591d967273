#include "frame/ui/on_screen.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <memory>

namespace kanro::frame {
namespace {

constexpr int kFallbackMs = 3000;

class ExposeWaiter : public QObject {
 public:
  ExposeWaiter(QWidget& window, std::function<void()> then) : QObject(&window), m_then(std::move(then)) {
    if (QWindow* handle = window.windowHandle()) handle->installEventFilter(this);
    QTimer::singleShot(kFallbackMs, this, [this] { Fire(); });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* handle = qobject_cast<QWindow*>(watched);
    if (event->type() == QEvent::Expose && handle != nullptr && handle->isExposed())
      // After this expose is painted.
      QTimer::singleShot(0, this, [this] { Fire(); });
    return false;
  }

 private:
  void Fire() {
    if (!m_then) return;
    std::function<void()> then = std::move(m_then);
    m_then = nullptr;
    deleteLater();
    then();
  }

  std::function<void()> m_then;
};

}  // namespace

void RunWhenOnScreen(QWidget& window, std::function<void()> then) { new ExposeWaiter(window, std::move(then)); }

}  // namespace kanro::frame
