#include "settings/ui/question_box.h"

#include <QAbstractButton>

#include "text/codepage.h"

namespace kanro::settings {
namespace {

QuestionHandler& Handler() {
  static QuestionHandler handler;
  return handler;
}

}  // namespace

QMessageBox::StandardButton AskQuestion(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                        QMessageBox::StandardButtons buttons) {
  if (Handler()) return Handler()(text);
  QMessageBox box(icon, QStringLiteral("Kanro"), text, buttons, parent);
  box.setTextFormat(Qt::PlainText);
  if (auto* b = box.button(QMessageBox::Yes)) b->setText(QStringLiteral("はい(&Y)"));
  if (auto* b = box.button(QMessageBox::No)) b->setText(QStringLiteral("いいえ(&N)"));
  if (auto* b = box.button(QMessageBox::Cancel)) b->setText(QStringLiteral("キャンセル"));
  if (auto* b = box.button(QMessageBox::Ok)) b->setText(QStringLiteral("OK"));
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void SetQuestionHandlerForTesting(QuestionHandler handler) { Handler() = std::move(handler); }

QMessageBox::StandardButton AskYesNoCancel(QWidget* parent, const QString& text) {
  return AskQuestion(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

QMessageBox::StandardButton AskYesNo(QWidget* parent, const QString& text) {
  return AskQuestion(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No);
}

void ShowNotice(QWidget* parent, const QString& text) { AskQuestion(parent, QMessageBox::Warning, text, QMessageBox::Ok); }

QString ToQt(const std::string& cp932) { return QString::fromStdString(text::Cp932ToUtf8(cp932)); }
std::string ToUtf8(const QString& text) { return text.toStdString(); }

}  // namespace kanro::settings
