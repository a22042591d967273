#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "settings/ui/question_box.h"
#include "settings/ui/setting_pages.h"

namespace kanro::settings {

CNetworkPage::CNetworkPage(QWidget* parent) : CSettingPage(parent) {
  auto radio = [this](const QString& text) {
    auto* button = new QRadioButton(text, this);
    button->setAccessibleName(text);
    connect(button, &QRadioButton::toggled, this, [this] { UpdateEnabled(); });
    return button;
  };
  m_pSystem = radio(QStringLiteral("プロキシ設定を自動検出する"));
  m_pDirect = radio(QStringLiteral("インターネットに直接接続する"));
  m_pManual = radio(QStringLiteral("手動でプロキシを設定する"));
  auto edit = [this](const std::string& cp932, const QString& name) {
    auto* line = new QLineEdit(ToQt(cp932), this);
    line->setAccessibleName(name);
    return line;
  };
  m_pAddress = edit(m_model.m_strAddress, QStringLiteral("アドレス"));
  m_pPort = edit(m_model.m_strPort, QStringLiteral("ポート"));
  m_pPort->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_pPort));
  m_pUser = edit(m_model.m_strUser, QStringLiteral("ユーザ"));
  m_pPassword = edit(m_model.m_strPassword, QStringLiteral("パスワード"));
  m_pPassword->setEchoMode(QLineEdit::Password);
  (m_model.m_mode == ProxyMode::Direct ? m_pDirect : m_model.m_mode == ProxyMode::Manual ? m_pManual : m_pSystem)
      ->setChecked(true);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("アドレス："), this), 0, 0);
  grid->addWidget(m_pAddress, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("ポート："), this), 0, 2);
  grid->addWidget(m_pPort, 0, 3);
  grid->addWidget(new QLabel(QStringLiteral("ユーザ："), this), 1, 2);
  grid->addWidget(m_pUser, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("パスワード："), this), 2, 2);
  grid->addWidget(m_pPassword, 2, 3);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pSystem);
  layout->addWidget(m_pDirect);
  layout->addWidget(m_pManual);
  layout->addLayout(grid);
  layout->addStretch();
  UpdateEnabled();
}

void CNetworkPage::UpdateEnabled() {
  const bool manual = m_pManual->isChecked();
  for (QLineEdit* e : {m_pAddress, m_pPort, m_pUser, m_pPassword}) e->setEnabled(manual);
}

bool CNetworkPage::Commit(QString* message) {
  m_model.m_mode = m_pManual->isChecked() ? ProxyMode::Manual
                   : m_pDirect->isChecked() ? ProxyMode::Direct
                                            : ProxyMode::System;
  std::string why;
  if (m_model.SetTexts(ToUtf8(m_pAddress->text()), ToUtf8(m_pPort->text()), ToUtf8(m_pUser->text()),
                       ToUtf8(m_pPassword->text()), &why))
    return true;
  *message = QString::fromStdString(why);
  return false;
}

}  // namespace kanro::settings
