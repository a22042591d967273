#include "settings/ui/desktop_link.h"

#include <QLabel>
#include <QUrl>

#include "settings/ui/question_box.h"
#include "view/ui/desktop_opener.h"

namespace kanro::settings {

void OpenLinksThroughDesktop(QLabel* label) {
  label->setOpenExternalLinks(false);
  QObject::connect(label, &QLabel::linkActivated, label, [label](const QString& address) {
    const QUrl url(address);
    view::OpenWithDesktop(url, label, [label, url] { ShowNotice(label->window(), view::CannotOpenText(url)); });
  });
}

}  // namespace kanro::settings
