#include "frame/ui/customize_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "frame/command_table.h"

namespace kanro::frame {

CCustomizeDialog::CCustomizeDialog(std::vector<CustomizableBar> bars, std::function<void(unsigned)> resetBar,
                                   QWidget* parent)
    : QDialog(parent), m_bars(std::move(bars)), m_resetBar(std::move(resetBar)) {
  setObjectName(QStringLiteral("CustomizeDialog"));
  setWindowTitle(QStringLiteral("カスタマイズ"));
  auto* layout = new QVBoxLayout(this);
  m_tabs = new QTabWidget(this);
  m_tabs->setAccessibleName(QStringLiteral("ツール バー"));
  layout->addWidget(m_tabs);
  for (size_t b = 0; b < m_bars.size(); ++b) {
    const CustomizableBar& bar = m_bars[b];
    auto* page = new QWidget;
    auto* pageLayout = new QVBoxLayout(page);
    auto* scroll = new QScrollArea(page);
    auto* list = new QWidget;
    auto* listLayout = new QVBoxLayout(list);
    std::vector<QCheckBox*> boxes;
    for (const auto& [id, action] : bar.buttons) {
      const CommandInfo* info = FindCommand(id);
      QString caption = info ? QString::fromStdString(info->toolTip) : QString::number(id);
      auto* box = new QCheckBox(caption, list);
      box->setAccessibleName(caption);
      QAction* entry = action;
      connect(box, &QCheckBox::toggled, this, [this, entry](bool on) {
        entry->setVisible(on);
        Q_EMIT buttonsChanged();
      });
      listLayout->addWidget(box);
      boxes.push_back(box);
    }
    listLayout->addStretch(1);
    scroll->setWidget(list);
    scroll->setWidgetResizable(true);
    pageLayout->addWidget(scroll);
    auto* reset = new QPushButton(QStringLiteral("既定に戻す(&R)"), page);
    reset->setObjectName(QStringLiteral("ResetBarButton"));
    reset->setAccessibleName(QStringLiteral("既定に戻す"));
    const unsigned barId = bar.id;
    connect(reset, &QPushButton::clicked, this, [this, barId] {
      if (m_resetBar) m_resetBar(barId);
      Refresh();
      Q_EMIT buttonsChanged();
    });
    pageLayout->addWidget(reset, 0, Qt::AlignLeft);
    m_tabs->addTab(page, bar.bar->windowTitle());
    m_boxes.push_back(std::move(boxes));
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("閉じる"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  Refresh();
  resize(360, 420);
}

void CCustomizeDialog::Refresh() {
  for (size_t b = 0; b < m_bars.size(); ++b) {
    for (size_t i = 0; i < m_bars[b].buttons.size(); ++i) {
      QCheckBox* box = m_boxes[b][i];
      const QSignalBlocker blocker(box);
      box->setChecked(m_bars[b].buttons[i].second->isVisible());
    }
  }
}

}  // namespace kanro::frame
