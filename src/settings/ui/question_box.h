#pragma once
// The program's message boxes: caption "Kanro", plain text, buttons はい /
// いいえ / キャンセル / OK. Tests answer them through a handler.
#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace kanro::settings {

using QuestionHandler = std::function<QMessageBox::StandardButton(const QString& text)>;
// When set, questions and notices go to the handler instead of a box.
void SetQuestionHandlerForTesting(QuestionHandler handler);

// Any buttons and icon; the button the user chose.
QMessageBox::StandardButton AskQuestion(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                        QMessageBox::StandardButtons buttons);
// Yes, No or Cancel, with the question icon.
QMessageBox::StandardButton AskYesNoCancel(QWidget* parent, const QString& text);
// Yes or No, with the question icon.
QMessageBox::StandardButton AskYesNo(QWidget* parent, const QString& text);
// A notice with a warning icon and an OK button.
void ShowNotice(QWidget* parent, const QString& text);

// CP932 bytes to a QString for a widget, and widget text to UTF-8.
QString ToQt(const std::string& cp932);
std::string ToUtf8(const QString& text);

}  // namespace kanro::settings
