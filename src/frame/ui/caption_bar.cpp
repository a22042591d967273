#include "frame/ui/caption_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "frame/ui/tool_images.h"

namespace kanro::frame {

CCaptionBar::CCaptionBar(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("CaptionBar"));
  setAccessibleName(QStringLiteral("キャプション バー"));
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 3, 6, 3);

  m_image = new QLabel(this);
  m_image->setPixmap(InformationImage().pixmap(16, 16));
  m_image->setAccessibleName(QStringLiteral("情報"));
  m_image->setToolTip(QStringLiteral("情報"));
  layout->addWidget(m_image);

  m_badge = new QLabel(this);
  m_badge->setTextFormat(Qt::PlainText);
  m_badge->setObjectName(QStringLiteral("CaptionBadge"));
  m_badge->setStyleSheet(QStringLiteral("QLabel { background: #c0392b; color: white; padding: 1px 6px; "
                                        "border-radius: 3px; font-weight: bold; }"));
  m_badge->hide();
  layout->addWidget(m_badge);

  m_text = new QLabel(this);
  m_text->setTextFormat(Qt::PlainText);
  m_text->setObjectName(QStringLiteral("CaptionText"));
  m_text->setAccessibleName(QStringLiteral("視聴予定"));
  m_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  layout->addWidget(m_text, 1);

  m_button = new QToolButton(this);
  m_button->setObjectName(QStringLiteral("NewVersionButton"));
  m_button->setText(QStringLiteral("最新バージョンダウンロード"));
  m_button->setAccessibleName(QStringLiteral("最新バージョンダウンロード"));
  m_button->setToolTip(QStringLiteral("ホームページの表示"));
  m_button->setEnabled(false);
  connect(m_button, &QToolButton::clicked, this, &CCaptionBar::newVersionClicked);
  layout->addWidget(m_button, 0, Qt::AlignRight);
}

void CCaptionBar::SetImageDescription(const QString& description) {
  m_description = description;
  // Our own text: plain, so it can never be read as markup.
  m_image->setToolTip(QStringLiteral("情報\n") + description);
  m_image->setAccessibleDescription(description);
}

void CCaptionBar::SetText(const QString& text) {
  m_text->setText(text);
  m_text->repaint();
}

QString CCaptionBar::Text() const { return m_text->text(); }

void CCaptionBar::EnableNewVersionButton(const QString& toolTip) {
  // Tool tips are read as rich text when they look like it; the server's text
  // is escaped so it always shows as typed.
  m_button->setToolTip(QStringLiteral("<qt>") + toolTip.toHtmlEscaped() + QStringLiteral("</qt>"));
  m_button->setAccessibleDescription(toolTip);
  m_button->setEnabled(true);
  repaint();
}

void CCaptionBar::SetBadge(const QString& text) {
  m_badge->setText(text);
  m_badge->setVisible(!text.isEmpty());
}

}  // namespace kanro::frame
