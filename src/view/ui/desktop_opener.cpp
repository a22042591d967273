#include "view/ui/desktop_opener.h"

#include <QDesktopServices>

namespace kanro::view {

namespace {

std::function<bool(const QUrl&)>& TestOpener() {
  static std::function<bool(const QUrl&)> opener;
  return opener;
}

}  // namespace

bool OpenWithDesktop(const QUrl& url) {
  if (TestOpener()) return TestOpener()(url);
  return QDesktopServices::openUrl(url);
}

void SetDesktopOpenerForTesting(std::function<bool(const QUrl&)> opener) { TestOpener() = std::move(opener); }

}  // namespace kanro::view
