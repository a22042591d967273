#pragma once
// Shows start alerts: a message box "お知らせ" with the information icon and
// an OK button over the window, which is raised and activated, and a desktop
// notification where the desktop offers one (the system tray, or else the
// notification service on the session bus), so an alert is seen while the
// window is minimised or on another desktop. Alerts due together are shown
// one after the other: the boxes are opened window-modal without a nested
// event loop, the next when the previous one is closed.
#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>

class QMessageBox;
class QSystemTrayIcon;
class QWidget;

namespace kanro::view {

class AlertPresenter : public QObject {
  Q_OBJECT

 public:
  // window: the widget whose window the boxes belong to and which is raised.
  explicit AlertPresenter(QWidget* window, QObject* parent = nullptr);
  ~AlertPresenter() override;

  // Queues the message; shown at once when no box is open.
  void Show(const QString& message);

  // The box on screen, or null (tests close it).
  QMessageBox* CurrentBox() const;
  // Messages waiting behind the box on screen.
  size_t Waiting() const { return m_waiting.size(); }

 Q_SIGNALS:
  // A box with this message was opened.
  void shown(const QString& message);

 private:
  void ShowNext();
  void RaiseWindow();
  void NotifyDesktop(const QString& message);

  QPointer<QWidget> m_window;
  QPointer<QMessageBox> m_box;
  std::deque<QString> m_waiting;
  QSystemTrayIcon* m_tray = nullptr;
};

}  // namespace kanro::view
