#pragma once
// A plain dialog with OK and Cancel standing in for the settings sheet and the
// keyword dialog, so the steps after them run as they will with the real ones.
#include <QDialog>

namespace kanro::settings {

class CStandInDialog : public QDialog {
  Q_OBJECT

 public:
  CStandInDialog(const QString& caption, const QString& text, QWidget* parent = nullptr);
};

}  // namespace kanro::settings
