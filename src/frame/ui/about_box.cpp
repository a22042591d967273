#include "frame/ui/about_box.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/version.h"
#include "frame/ui/tool_images.h"
#include "settings/ui/desktop_link.h"

namespace kanro::frame {

QString HomePageAddress() {
  QByteArray overridden = qgetenv("KANRO_HOME_PAGE");
  return overridden.isEmpty() ? QStringLiteral("http://kanro.tsuki-soft.example/") : QString::fromUtf8(overridden);
}

CAboutBox::CAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("バージョン情報 Kanro"));
  auto* layout = new QGridLayout(this);
  auto* icon = new QLabel(this);
  icon->setPixmap(ProgramIcon().pixmap(32, 32));
  icon->setAccessibleName(QStringLiteral("Kanro"));
  layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);

  m_version = new QLabel(QStringLiteral("Kanro Version ") + QString::fromStdString(app::GetVersionString()), this);
  m_version->setObjectName(QStringLiteral("VersionText"));
  m_version->setTextFormat(Qt::PlainText);
  layout->addWidget(m_version, 0, 1);
  auto* line = new QLabel(QStringLiteral("テレビ・ラジオ番組表ビューア"), this);
  line->setTextFormat(Qt::PlainText);
  layout->addWidget(line, 1, 1);

  const QString address = HomePageAddress();
  m_link = new QLabel(this);
  m_link->setObjectName(QStringLiteral("SupportLink"));
  m_link->setTextFormat(Qt::RichText);
  m_link->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(address.toHtmlEscaped(), address.toHtmlEscaped()));
  settings::OpenLinksThroughDesktop(m_link);
  m_link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  m_link->setToolTip(QStringLiteral("サポートページ"));
  m_link->setAccessibleName(QStringLiteral("サポートページ"));
  m_link->adjustSize();
  layout->addWidget(m_link, 2, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons, 3, 0, 1, 2);
}

}  // namespace kanro::frame
