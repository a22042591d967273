#pragma once
// Small widgets the settings pages share.
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <functional>

namespace kanro::settings {

// Arrows stay within 0..max, a typed value may go beyond (it is stored as typed).
class CBoundedSpinBox : public QSpinBox {
 public:
  CBoundedSpinBox(int arrowMax, QWidget* parent) : QSpinBox(parent), m_nArrowMax(arrowMax) { setRange(-99999, 99999); }
  void stepBy(int steps) override { setValue(std::clamp(value() + steps, 0, m_nArrowMax)); }

 protected:
  StepEnabled stepEnabled() const override {
    StepEnabled e = StepNone;
    if (value() > 0) e |= StepDownEnabled;
    if (value() < m_nArrowMax) e |= StepUpEnabled;
    return e;
  }

 private:
  int m_nArrowMax;
};

// A selection model that asks before the selection moves to another row, so
// a question can be put while the old row is still selected.
class CGatedSelectionModel : public QItemSelectionModel {
 public:
  using QItemSelectionModel::QItemSelectionModel;
  std::function<bool(int row)> gate;  // may the selection become row (-1: none)?
  bool bypass = false;
  void select(const QItemSelection& selection, SelectionFlags command) override;
  using QItemSelectionModel::select;
};

// The link to the grammar of the regular expressions.
QLabel* MakeRegexLink(QWidget* parent);

// A push button with its tool tip, named for screen readers by its text.
QPushButton* MakeButton(const QString& text, const QString& tip, QWidget* parent);

}  // namespace kanro::settings
