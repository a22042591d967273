#include "view/ui/find_bar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>

namespace kanro::view {

CFindBar::CFindBar(QWebEnginePage& page, QWidget* parent) : QWidget(parent), m_page(page) {
  setAccessibleName(QStringLiteral("ページ内検索"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 2);

  auto* caption = new QLabel(QStringLiteral("検索:"), this);
  caption->setTextFormat(Qt::PlainText);
  m_field = new QLineEdit(this);
  m_field->setAccessibleName(QStringLiteral("検索する文字列"));
  m_field->setClearButtonEnabled(true);
  m_field->installEventFilter(this);
  caption->setBuddy(m_field);

  auto* previous = new QToolButton(this);
  previous->setText(QStringLiteral("前へ"));
  previous->setAccessibleName(QStringLiteral("前を検索"));
  auto* next = new QToolButton(this);
  next->setText(QStringLiteral("次へ"));
  next->setAccessibleName(QStringLiteral("次を検索"));
  m_result = new QLabel(this);
  m_result->setTextFormat(Qt::PlainText);
  m_result->setAccessibleName(QStringLiteral("検索結果"));
  auto* close = new QToolButton(this);
  close->setText(QStringLiteral("閉じる"));
  close->setAccessibleName(QStringLiteral("検索バーを閉じる"));

  layout->addWidget(caption);
  layout->addWidget(m_field, 1);
  layout->addWidget(previous);
  layout->addWidget(next);
  layout->addWidget(m_result);
  layout->addWidget(close);

  connect(m_field, &QLineEdit::textChanged, this, [this] { Find(false); });
  connect(m_field, &QLineEdit::returnPressed, this, &CFindBar::FindNext);
  connect(next, &QToolButton::clicked, this, &CFindBar::FindNext);
  connect(previous, &QToolButton::clicked, this, &CFindBar::FindPrevious);
  connect(close, &QToolButton::clicked, this, &CFindBar::Close);
  connect(&m_page, &QWebEnginePage::findTextFinished, this, &CFindBar::ShowResult);
  hide();
}

void CFindBar::Open() {
  show();
  m_field->setFocus(Qt::ShortcutFocusReason);
  m_field->selectAll();
}

void CFindBar::Close() {
  m_page.findText(QString());
  m_result->clear();
  hide();
}

void CFindBar::FindNext() { Find(false); }
void CFindBar::FindPrevious() { Find(true); }

QString CFindBar::ResultText() const { return m_result->text(); }

void CFindBar::Find(bool backward) {
  const QString text = m_field->text();
  if (text.isEmpty()) {
    m_page.findText(QString());
    m_result->clear();
    return;
  }
  m_page.findText(text, backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags());
}

void CFindBar::ShowResult(const QWebEngineFindTextResult& result) {
  if (m_field->text().isEmpty()) {
    m_result->clear();
  } else if (result.numberOfMatches() == 0) {
    m_result->setText(QStringLiteral("見つかりません"));
  } else {
    m_result->setText(QStringLiteral("%1 / %2 件").arg(result.activeMatch()).arg(result.numberOfMatches()));
  }
}

bool CFindBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_field && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
      Close();
      return true;
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && (key->modifiers() & Qt::ShiftModifier)) {
      FindPrevious();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kanro::view
