#include "view/ui/alert_presenter.h"

#include <QApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QWidget>

#ifdef KANRO_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QVariantMap>
#endif

namespace kanro::view {

namespace {

const QString kCaption = QStringLiteral("お知らせ");

}  // namespace

AlertPresenter::AlertPresenter(QWidget* window, QObject* parent) : QObject(parent), m_window(window) {}

AlertPresenter::~AlertPresenter() {
  if (m_box) delete m_box.data();
}

QMessageBox* AlertPresenter::CurrentBox() const { return m_box.data(); }

void AlertPresenter::Show(const QString& message) {
  NotifyDesktop(message);
  m_waiting.push_back(message);
  if (!m_box) ShowNext();
}

void AlertPresenter::ShowNext() {
  if (m_waiting.empty()) return;
  const QString message = m_waiting.front();
  m_waiting.pop_front();
  RaiseWindow();
  QWidget* parent = m_window ? m_window->window() : nullptr;
  auto* box = new QMessageBox(QMessageBox::Information, kCaption, message, QMessageBox::Ok, parent);
  box->setTextFormat(Qt::PlainText);  // the title comes from a listing page
  m_box = box;
  connect(box, &QDialog::finished, this, [this, box] {
    if (m_box == box) m_box = nullptr;
    box->deleteLater();
    // After the box has gone, so a quick succession never stacks boxes.
    QMetaObject::invokeMethod(this, &AlertPresenter::ShowNext, Qt::QueuedConnection);
  });
  // open(): window-modal, returns at once; no nested event loop that could
  // run the view's handlers again while the box is up.
  box->open();
  Q_EMIT shown(message);
}

void AlertPresenter::RaiseWindow() {
  QWidget* window = m_window ? m_window->window() : nullptr;
  if (!window) return;
  if (window->isMinimized()) window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  window->raise();
  window->activateWindow();
  // Where the window manager refuses to activate it, the task bar entry asks for attention.
  QApplication::alert(window);
}

void AlertPresenter::NotifyDesktop(const QString& message) {
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    if (!m_tray) {
      m_tray = new QSystemTrayIcon(QApplication::windowIcon(), this);
      m_tray->setToolTip(QStringLiteral("Kanro"));
    }
    m_tray->show();
    m_tray->showMessage(kCaption, message, QSystemTrayIcon::Information);
    return;
  }
#ifdef KANRO_HAVE_DBUS
  // Without a session of its own, connecting could start a bus daemon that
  // outlives the program.
  if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  // Asynchronous: a desktop without the service answers with an error nobody waits for.
  if (!bus.isConnected()) return;
  QDBusMessage call =
      QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
                                     QStringLiteral("/org/freedesktop/Notifications"),
                                     QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  // The body may be read as markup by the server: escaped, it stays plain text.
  call << QStringLiteral("Kanro") << 0u << QString() << kCaption << message.toHtmlEscaped() << QStringList()
       << QVariantMap() << -1;
  bus.asyncCall(call);
#endif
}

}  // namespace kanro::view
