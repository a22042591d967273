#pragma once
// The bar of page icons on the left of a settings sheet: one column, each
// icon above its caption, every page visible without scrolling however many
// pages the sheet has (the bar asks for the height they need).
#include <QListWidget>

namespace kanro::settings {

class CPageBar : public QListWidget {
  Q_OBJECT
 public:
  static constexpr int kWidth = 100;
  static constexpr int kIconSize = 48;

  explicit CPageBar(QWidget* parent = nullptr);
  void AddPage(const QIcon& icon, const QString& caption);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 private:
  int CellHeight() const;
};

}  // namespace kanro::settings
