#pragma once
// Customize (126): one page per tool bar with a check box per button (shown or
// hidden) and a button that puts the bar back to its default state. Changes
// apply at once.
#include <QDialog>

#include <functional>
#include <vector>

class QAction;
class QCheckBox;
class QTabWidget;
class QToolBar;

namespace kanro::frame {

struct CustomizableBar {
  QToolBar* bar = nullptr;
  unsigned id = 0;
  // Each button's own entry in this bar (hiding it hides it here only) and
  // its command id.
  std::vector<std::pair<unsigned, QAction*>> buttons;
};

class CCustomizeDialog : public QDialog {
  Q_OBJECT

 public:
  // resetBar puts one bar back to its default state.
  CCustomizeDialog(std::vector<CustomizableBar> bars, std::function<void(unsigned barId)> resetBar,
                   QWidget* parent = nullptr);
  QTabWidget* Tabs() const { return m_tabs; }

 Q_SIGNALS:
  void buttonsChanged();

 private:
  void Refresh();

  std::vector<CustomizableBar> m_bars;
  std::function<void(unsigned)> m_resetBar;
  QTabWidget* m_tabs = nullptr;
  std::vector<std::vector<QCheckBox*>> m_boxes;
};

}  // namespace kanro::frame
