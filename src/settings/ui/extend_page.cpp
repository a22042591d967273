#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "settings/ui/page_widgets.h"
#include "settings/ui/question_box.h"
#include "settings/ui/setting_pages.h"

namespace kanro::settings {
CExtendPage::CExtendPage(QWidget* parent) : CSettingPage(parent) {
  auto* existTerm = new QComboBox(this);
  for (const std::string& item : ExtendPageModel::ExistTermItems()) existTerm->addItem(ToQt(item));
  existTerm->setCurrentIndex(m_model.ExistTermIndex());
  existTerm->setAccessibleName(QStringLiteral("日後に番組表を削除する"));
  connect(existTerm, &QComboBox::activated, this, [this](int i) { m_model.ChooseExistTerm(i); });

  auto* alert = new QCheckBox(this);
  alert->setAccessibleName(QStringLiteral("分前にアラートを表示する"));
  alert->setChecked(m_model.m_bAlert != 0);
  auto* minutes = new CBoundedSpinBox(30, this);
  minutes->setValue(m_model.m_nAlertMinute);
  minutes->setAccessibleName(QStringLiteral("アラートを表示する分数"));
  minutes->setEnabled(m_model.m_bAlert != 0);
  connect(minutes, &QSpinBox::valueChanged, this, [this](int v) { m_model.m_nAlertMinute = v; });
  connect(alert, &QCheckBox::toggled, this, [this, minutes](bool on) {
    m_model.m_bAlert = on ? 1 : 0;
    minutes->setEnabled(on);
  });

  auto* maxRank = new QComboBox(this);
  for (int item : ExtendPageModel::MaxRankItems()) maxRank->addItem(QString::number(item));
  maxRank->setCurrentIndex(m_model.MaxRankIndex());
  maxRank->setAccessibleName(QStringLiteral("件の視聴予定ランキングを取得する"));
  connect(maxRank, &QComboBox::activated, this, [this](int i) { m_model.ChooseMaxRank(i); });

  auto* checkVersion = new QCheckBox(QStringLiteral("最新のバージョンを自動的に確認する"), this);
  checkVersion->setAccessibleName(checkVersion->text());
  checkVersion->setChecked(m_model.m_bCheckVersion != 0);
  connect(checkVersion, &QCheckBox::toggled, this, [this](bool on) { m_model.m_bCheckVersion = on ? 1 : 0; });

  m_pRules = new QTreeWidget(this);
  m_pRules->setAccessibleName(QStringLiteral("文字列の置換"));
  m_pRules->setColumnCount(2);
  m_pRules->setHeaderLabels({QStringLiteral("検索文字列"), QStringLiteral("置換後文字列")});
  m_pRules->setRootIsDecorated(false);
  m_pRules->setSelectionMode(QAbstractItemView::SingleSelection);
  m_pGate = new CGatedSelectionModel(m_pRules->model(), m_pRules);
  m_pGate->gate = [this](int row) { return MayMoveTo(row); };
  QItemSelectionModel* old = m_pRules->selectionModel();
  m_pRules->setSelectionModel(m_pGate);
  delete old;
  connect(m_pGate, &QItemSelectionModel::selectionChanged, this, [this] { OnSelectionChanged(); });
  connect(m_pRules, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
    if (m_bRebuilding || column != 0) return;
    m_model.SetEnabled(m_pRules->indexOfTopLevelItem(item), item->checkState(0) == Qt::Checked);
  });

  m_pSearch = new QLineEdit(this);
  m_pSearch->setAccessibleName(QStringLiteral("検索文字列"));
  m_pReplace = new QLineEdit(this);
  m_pReplace->setAccessibleName(QStringLiteral("置換後文字列"));
  auto edited = [this] { m_model.SetEditTexts(ToUtf8(m_pSearch->text()), ToUtf8(m_pReplace->text())); };
  connect(m_pSearch, &QLineEdit::textEdited, this, edited);
  connect(m_pReplace, &QLineEdit::textEdited, this, edited);

  m_pUp = MakeButton(QStringLiteral("上へ"), QStringLiteral("選択中の置換文字列を上に移動します"), this);
  m_pDown = MakeButton(QStringLiteral("下へ"), QStringLiteral("選択中の置換文字列を下に移動します"), this);
  m_pAddRule = MakeButton(QStringLiteral("追加"), QStringLiteral("置換文字列を追加します"), this);
  m_pDelete = MakeButton(QStringLiteral("削除"), QStringLiteral("選択中の置換文字列を削除します"), this);
  m_pConfirm = MakeButton(QStringLiteral("確定"), QStringLiteral("置換文字列を確定します"), this);
  connect(m_pAddRule, &QPushButton::clicked, this, [this] {
    const int row = m_model.AddRow();
    Rebuild();
    m_pRules->setCurrentItem(m_pRules->topLevelItem(row));  // asks about a pending edit first
    m_pSearch->setFocus();
  });
  connect(m_pDelete, &QPushButton::clicked, this, [this] {
    m_model.DeleteEditedRow();
    Rebuild();
  });
  connect(m_pUp, &QPushButton::clicked, this, [this] {
    m_model.MoveUp();
    Rebuild();
  });
  connect(m_pDown, &QPushButton::clicked, this, [this] {
    m_model.MoveDown();
    Rebuild();
  });
  connect(m_pConfirm, &QPushButton::clicked, this, [this] {
    std::string message;
    if (!m_model.ConfirmEdit(&message)) {
      if (!message.empty()) ShowNotice(this, QString::fromStdString(message));
      return;
    }
    Rebuild();
    m_pRules->setFocus();
  });

  auto* grid = new QGridLayout;
  grid->addWidget(existTerm, 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("日後に番組表を削除する"), this), 0, 1, 1, 2);
  auto* alertRow = new QHBoxLayout;
  alertRow->addWidget(alert);
  alertRow->addWidget(minutes);
  grid->addLayout(alertRow, 1, 0);
  grid->addWidget(new QLabel(QStringLiteral("分前にアラートを表示する"), this), 1, 1, 1, 2);
  grid->addWidget(maxRank, 2, 0);
  grid->addWidget(new QLabel(QStringLiteral("件の視聴予定ランキングを取得する"), this), 2, 1, 1, 2);
  grid->addWidget(checkVersion, 3, 0, 1, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(new QLabel(QStringLiteral("文字列の置換"), this));
  buttons->addStretch();
  for (QPushButton* b : {m_pUp, m_pDown, m_pAddRule, m_pDelete}) buttons->addWidget(b);
  auto* edits = new QHBoxLayout;
  edits->addWidget(m_pSearch);
  edits->addWidget(m_pReplace);
  edits->addWidget(m_pConfirm);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  layout->addWidget(m_pRules, 1);
  layout->addLayout(edits);
  layout->addWidget(MakeRegexLink(this));
  Rebuild();
}

bool CExtendPage::MayMoveTo(int row) {
  if (row == m_model.EditedRow()) return true;
  std::string message;
  const bool ok = m_model.MayLeaveEditedRow(
      [this] {
        switch (AskYesNoCancel(this, QStringLiteral("置換文字列の選択されていた項目が変更されています。\n変更を反映しますか？"))) {
          case QMessageBox::Yes: return ExtendPageModel::Answer::Yes;
          case QMessageBox::No: return ExtendPageModel::Answer::No;
          default: return ExtendPageModel::Answer::Cancel;
        }
      },
      &message);
  if (!message.empty()) ShowNotice(this, QString::fromStdString(message));
  if (!ok) {
    // Back to the edited row, with the user's texts still in the boxes.
    const int edited = m_model.EditedRow();
    m_pGate->bypass = true;
    if (QTreeWidgetItem* item = m_pRules->topLevelItem(edited))
      m_pGate->setCurrentIndex(m_pRules->indexFromItem(item), QItemSelectionModel::NoUpdate);
    m_pGate->bypass = false;
    return false;
  }
  // The stored edit shows in its row before the selection moves.
  if (QTreeWidgetItem* item = m_pRules->topLevelItem(m_model.EditedRow())) {
    m_bRebuilding = true;
    const RuleRow& rule = m_model.Rows()[static_cast<size_t>(m_model.EditedRow())];
    item->setText(0, ToQt(rule.pattern));
    item->setText(1, ToQt(rule.replacement));
    m_bRebuilding = false;
  }
  return true;
}

void CExtendPage::OnSelectionChanged() {
  if (m_bRebuilding) return;
  const QModelIndexList rows = m_pGate->selectedRows();
  m_model.SelectRow(rows.isEmpty() ? -1 : rows.first().row());
  ShowEditState();
}

void CExtendPage::Rebuild() {
  m_bRebuilding = true;
  m_pGate->bypass = true;
  m_pRules->clear();
  for (const RuleRow& rule : m_model.Rows()) {
    auto* item = new QTreeWidgetItem(m_pRules, {ToQt(rule.pattern), ToQt(rule.replacement)});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, rule.enabled ? Qt::Checked : Qt::Unchecked);
  }
  if (QTreeWidgetItem* item = m_pRules->topLevelItem(m_model.EditedRow()))
    m_pGate->setCurrentIndex(m_pRules->indexFromItem(item), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  m_pGate->bypass = false;
  m_bRebuilding = false;
  m_pRules->resizeColumnToContents(0);
  ShowEditState();
}

void CExtendPage::ShowEditState() {
  const bool editing = m_model.EditedRow() >= 0;
  m_pSearch->setText(QString::fromStdString(m_model.EditSearch()));
  m_pReplace->setText(QString::fromStdString(m_model.EditReplace()));
  for (QWidget* w : std::initializer_list<QWidget*>{m_pSearch, m_pReplace, m_pConfirm, m_pDelete}) w->setEnabled(editing);
  m_pUp->setEnabled(m_model.CanMoveUp());
  m_pDown->setEnabled(m_model.CanMoveDown());
}

bool CExtendPage::AskQuestions() { return MayMoveTo(-1); }

}  // namespace kanro::settings
