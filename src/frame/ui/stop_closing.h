#pragma once
// A stop signal ends the program as closing the window does, also while a
// dialog runs its own event loop (the settings sheet, a message box, a file
// dialog): each modal dialog is answered as the Escape key answers it
// (Cancel, No), then the window is closed, and once it is closed the
// application quits, whether or not its main loop runs yet. The steps repeat
// until then, since a dialog may open another box on its way out.
#include <QObject>
#include <QTimer>

class QWidget;

namespace kanro::frame {

class CStopClosing : public QObject {
 public:
  explicit CStopClosing(QWidget& window, QObject* parent = nullptr);

  // From the stop signal; a second call changes nothing.
  void Stop();
  bool Stopping() const { return m_timer.isActive(); }

 private:
  void Step();

  QWidget& m_window;
  QTimer m_timer;
  bool m_closeAsked = false;
};

}  // namespace kanro::frame
