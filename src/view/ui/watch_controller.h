#pragma once
// The view's watch marks and start alerts: decides the marks of a collected
// data page (through the plain logic of watch_marks.h), toggles marks for
// watch links, keeps today's alerts and shows them when they are due.
#include <QObject>
#include <QUrl>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "view/page_cells.h"

class QWidget;

namespace kanro::view {

class AlertPresenter;
class AlertSchedule;
class ViewHost;

class CWatchController : public QObject {
  Q_OBJECT

 public:
  // view: the widget whose window is raised for an alert.
  CWatchController(ViewHost& host, QWidget* view);
  ~CWatchController() override;

  // The watch pass over the cells of a data page collected from the page:
  // writes the marks into cells. onScreen: the page is the one on screen, so
  // on today's page the caption summary and the alerts are rebuilt too
  // (false for a print copy).
  void DecidePass(std::vector<PageCell>& cells, const std::filesystem::path& documentPath, bool onScreen);

  struct LinkResult {
    bool handled = false;  // a usable watch link: the navigation is cancelled
    QUrl notification;     // the service address for the hidden frame; empty: send none
  };
  // A watch link was followed on the data page at documentPath: toggles the
  // mark and stores the day's list. The caller re-marks the page, then loads
  // the notification in the hidden frame.
  LinkResult OnWatchLink(const QUrl& link, const std::filesystem::path& documentPath);

  // Shows every alert that is due by the clock (app::Now()). Runs every two
  // seconds while alerts are pending and when the application becomes active.
  void CheckAlerts();

  // The pending alerts (tests).
  const AlertSchedule& Alerts() const;
  // The message boxes and desktop notifications of the alerts (tests).
  AlertPresenter& Presenter() const;

 Q_SIGNALS:
  // An alert was shown (the message text), for tests.
  void alertShown(const QString& message);

 private:
  void UpdateTimer();

  class Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace kanro::view
