#include "view/ui/watch_controller.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <string>

#include "app/clock.h"
#include "app/listing_time.h"
#include "app/settings_store.h"
#include "net/service_request.h"
#include "text/codepage.h"
#include "view/alert_schedule.h"
#include "view/listing_day_cache.h"
#include "view/watch_overlap.h"
#include "view/view_host.h"
#include "view/watch_list.h"
#include "view/watch_marks.h"
#include "view/ui/alert_presenter.h"

namespace kanro::view {

namespace {

// Due times are checked against the wall clock this often, so an alert that
// fell due while the machine slept, or after the clock was set, is shown at
// once instead of a timer's interval later.
constexpr int kCheckIntervalMs = 2000;

QString ToQString(const std::string& cp932) { return QString::fromStdString(text::Cp932ToUtf8(cp932)); }

}  // namespace

class CWatchController::Impl {
 public:
  Impl(ViewHost& host, QWidget* view) : host(host), view(view), presenter(view) {}
  ViewHost& host;
  QWidget* view;
  AlertSchedule alerts;
  AlertPresenter presenter;
  QTimer timer;
};

CWatchController::CWatchController(ViewHost& host, QWidget* view)
    : QObject(view), m_impl(std::make_unique<Impl>(host, view)) {
  m_impl->timer.setInterval(kCheckIntervalMs);
  connect(&m_impl->timer, &QTimer::timeout, this, &CWatchController::CheckAlerts);
  connect(&m_impl->presenter, &AlertPresenter::shown, this, &CWatchController::alertShown);
  if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    connect(application, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
      if (state == Qt::ApplicationActive) CheckAlerts();
    });
  }
}

CWatchController::~CWatchController() = default;

void CWatchController::DecidePass(std::vector<PageCell>& cells, const std::filesystem::path& documentPath,
                                  bool onScreen) {
  WatchMarkRequest request;
  if (!SplitDataPageName(documentPath, &request.date, &request.entry)) return;
  request.keys = ReadWatchKeys(request.date);
  request.today = onScreen && request.date == app::DateText(app::GetListingTime());
  request.alertsOn = GetProfileInt("Window", "Alert", 1) != 0;
  request.alertMinute = GetProfileInt("Window", "AlertMinute", 1);
  request.now = app::Now();
  WatchMarkPass pass = DecideWatchMarks(cells, request);
  ApplyCellChanges(cells, pass.changes);
  if (!request.today) return;
  // Today's page on screen: its marks decide the caption and the alerts;
  // marks of every listing that overlap in time are flagged in both.
  ListingDayCache pages;
  const DayOverlaps overlaps = OverlapsOfDay(std::stoi(request.date), request.entry, pages);
  QString summary = ToQString(pass.summary);
  if (!overlaps.captionNote.empty()) summary += QString::fromStdString(overlaps.captionNote);
  for (WatchAlert& alert : pass.alerts) {
    for (const auto& [number, note] : overlaps.alertNotes) {
      // The number as the alert holds it: without its leading zeros.
      const size_t digits = std::min(number.find_first_not_of('0'), number.size() - 1);
      if (number.substr(digits) == std::to_string(alert.id)) alert.note = note;
    }
  }
  m_impl->host.SetCaptionText(summary);
  m_impl->alerts.Rebuild(std::move(pass.alerts));
  UpdateTimer();
}

CWatchController::LinkResult CWatchController::OnWatchLink(const QUrl& link, const std::filesystem::path& documentPath) {
  const ToggleOutcome outcome = ToggleWatch(link, documentPath, net::ServiceUrl());
  LinkResult result;
  result.handled = outcome.recognised;
  if (!outcome.recognised) return result;
  if (!outcome.stored) {
    // The service must not count a mark the program does not keep.
    m_impl->host.SetStatusText(
        QStringLiteral("ウォッチリストを保存できませんでした。設定の書き込みに失敗したため、印は変わっていません。"));
    return result;
  }
  result.notification = QUrl::fromEncoded(QByteArray::fromStdString(outcome.notification), QUrl::StrictMode);
  return result;
}

void CWatchController::CheckAlerts() {
  const std::vector<WatchAlert> due = m_impl->alerts.TakeDue(app::Now());
  for (const WatchAlert& alert : due) {
    // The lead time is read again: the message tells what the user set now.
    const int alertMinute = GetProfileInt("Window", "AlertMinute", 1);
    QString message = ToQString(AlertMessage(alert.title, alertMinute));
    if (!alert.note.empty()) message += QStringLiteral("\n") + QString::fromStdString(alert.note);
    m_impl->presenter.Show(message);
  }
  UpdateTimer();
}

void CWatchController::UpdateTimer() {
  if (m_impl->alerts.NextDue()) {
    if (!m_impl->timer.isActive()) m_impl->timer.start();
  } else {
    m_impl->timer.stop();
  }
}

const AlertSchedule& CWatchController::Alerts() const { return m_impl->alerts; }

AlertPresenter& CWatchController::Presenter() const { return m_impl->presenter; }

}  // namespace kanro::view
