#include "view/ui/watch_controller.h"

#include <QWidget>

#include "view/alert_schedule.h"
#include "view/view_host.h"

namespace kanro::view {

class CWatchController::Impl {
 public:
  Impl(ViewHost& host, QWidget* view) : host(host), view(view) {}
  ViewHost& host;
  QWidget* view;
  AlertSchedule alerts;
};

CWatchController::CWatchController(ViewHost& host, QWidget* view)
    : QObject(view), m_impl(std::make_unique<Impl>(host, view)) {}

CWatchController::~CWatchController() = default;

void CWatchController::DecidePass(std::vector<PageCell>&, const std::filesystem::path&, bool) {}

CWatchController::LinkResult CWatchController::OnWatchLink(const QUrl&, const std::filesystem::path&) { return {}; }

const AlertSchedule& CWatchController::Alerts() const { return m_impl->alerts; }

}  // namespace kanro::view
