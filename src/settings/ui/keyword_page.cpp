#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/ui/page_widgets.h"
#include "settings/ui/question_box.h"
#include "settings/ui/setting_pages.h"

namespace kanro::settings {

CKeywordPage::CKeywordPage(QWidget* parent) : CSettingPage(parent) {
  m_pList = new QListWidget(this);
  m_pList->setAccessibleName(QStringLiteral("キーワード"));
  m_pList->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::SelectedClicked);
  auto button = [this](const QString& text, const QString& tip) {
    auto* b = new QPushButton(text, this);
    b->setToolTip(tip);
    b->setAccessibleName(text);
    return b;
  };
  m_pUp = button(QStringLiteral("上へ"), QStringLiteral("選択中のキーワードを上に移動します"));
  m_pDown = button(QStringLiteral("下へ"), QStringLiteral("選択中のキーワードを下に移動します"));
  m_pAdd = button(QStringLiteral("追加"), QStringLiteral("キーワードを追加します"));
  m_pDelete = button(QStringLiteral("削除"), QStringLiteral("選択中のキーワードを削除します"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* b : {m_pUp, m_pDown, m_pAdd, m_pDelete}) buttons->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(m_pList, 1);
  layout->addWidget(MakeRegexLink(this));
  Fill();

  connect(m_pList, &QListWidget::currentRowChanged, this, [this](int row) {
    if (m_bFilling) return;
    m_model.Select(row);
    UpdateButtons();
  });
  connect(m_pList, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (m_bFilling) return;
    std::string message;
    if (!m_model.SetText(m_pList->row(item), ToUtf8(item->text()), &message)) {
      ShowNotice(this, QString::fromStdString(message));
      Fill();
    }
  });
  connect(m_pAdd, &QPushButton::clicked, this, [this] {
    m_model.Add();
    Fill();
    m_pList->setFocus();
    m_pList->editItem(m_pList->currentItem());
  });
  connect(m_pDelete, &QPushButton::clicked, this, [this] {
    m_model.Delete();
    Fill();
    m_pList->setFocus();
  });
  connect(m_pUp, &QPushButton::clicked, this, [this] {
    m_model.MoveUp();
    Fill();
    m_pList->setFocus();
  });
  connect(m_pDown, &QPushButton::clicked, this, [this] {
    m_model.MoveDown();
    Fill();
    m_pList->setFocus();
  });
}

void CKeywordPage::Fill() {
  m_bFilling = true;
  m_pList->clear();
  for (const std::string& keyword : m_model.Items()) {
    auto* item = new QListWidgetItem(ToQt(keyword), m_pList);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
  }
  m_pList->setCurrentRow(m_model.Selected());
  m_bFilling = false;
  UpdateButtons();
}

void CKeywordPage::UpdateButtons() {
  m_pDelete->setEnabled(m_model.CanDelete());
  m_pUp->setEnabled(m_model.CanMoveUp());
  m_pDown->setEnabled(m_model.CanMoveDown());
}

}  // namespace kanro::settings
