#include "settings/stand_in_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kanro::settings {

CStandInDialog::CStandInDialog(const QString& caption, const QString& text, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("StandInDialog"));
  setWindowTitle(caption);
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(text, this);
  label->setTextFormat(Qt::PlainText);
  layout->addWidget(label);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

}  // namespace kanro::settings
