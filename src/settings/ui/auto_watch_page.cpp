#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/clock.h"
#include "app/listing_time.h"
#include "settings/ui/page_widgets.h"
#include "settings/ui/question_box.h"
#include "settings/ui/setting_pages.h"

namespace kanro::settings {
namespace {

QLineEdit* Edit(const QString& name, const QString& placeholder, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setAccessibleName(name);
  edit->setPlaceholderText(placeholder);
  return edit;
}

}  // namespace

CAutoWatchPage::CAutoWatchPage(QWidget* parent)
    : CSettingPage(parent), m_model(app::DateNumber(app::GetListingTime()), app::Now()) {
  m_pRules = new QTreeWidget(this);
  m_pRules->setAccessibleName(QStringLiteral("自動視聴予定の規則"));
  m_pRules->setRootIsDecorated(false);
  m_pRules->setHeaderLabels({QStringLiteral("パターン"), QStringLiteral("番組表"), QStringLiteral("チャンネル"),
                             QStringLiteral("曜日"), QStringLiteral("時間帯")});

  m_pPattern = Edit(QStringLiteral("パターン"), QStringLiteral("正規表現（例: ニュース）"), this);
  m_pPrograms = Edit(QStringLiteral("番組表"), QStringLiteral("空欄ですべて（例: 08GooTv,13YahooFm）"), this);
  m_pChannels = Edit(QStringLiteral("チャンネル"), QStringLiteral("空欄ですべて（例: ＮＨＫ総合,日本テレビ）"), this);
  m_pWeekdays = Edit(QStringLiteral("曜日"), QStringLiteral("空欄で毎日（0=日 … 6=土、例: 12345）"), this);
  m_pTime = Edit(QStringLiteral("時間帯"), QStringLiteral("空欄で終日（例: 23:00-01:30）"), this);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("パターン"), m_pPattern);
  form->addRow(QStringLiteral("番組表"), m_pPrograms);
  form->addRow(QStringLiteral("チャンネル"), m_pChannels);
  form->addRow(QStringLiteral("曜日"), m_pWeekdays);
  form->addRow(QStringLiteral("時間帯"), m_pTime);

  m_pUp = MakeButton(QStringLiteral("上へ"), QStringLiteral("選択中の規則を上に移動します"), this);
  m_pDown = MakeButton(QStringLiteral("下へ"), QStringLiteral("選択中の規則を下に移動します"), this);
  m_pAdd = MakeButton(QStringLiteral("追加"), QStringLiteral("規則を追加します"), this);
  m_pDelete = MakeButton(QStringLiteral("削除"), QStringLiteral("選択中の規則を削除します"), this);
  m_pConfirm = MakeButton(QStringLiteral("確定"), QStringLiteral("入力した内容を選択中の規則にします"), this);
  m_pPreviewButton =
      MakeButton(QStringLiteral("プレビュー"), QStringLiteral("入力した規則に一致する番組をダウンロード済みの日から探します"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* b : {m_pUp, m_pDown, m_pAdd, m_pDelete, m_pConfirm, m_pPreviewButton}) buttons->addWidget(b);

  m_pProblem = new QLabel(this);
  m_pProblem->setTextFormat(Qt::PlainText);
  m_pProblem->setWordWrap(true);
  m_pPreview = new QListWidget(this);
  m_pPreview->setAccessibleName(QStringLiteral("プレビュー"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pRules, 2);
  layout->addLayout(form);
  layout->addLayout(buttons);
  layout->addWidget(m_pProblem);
  layout->addWidget(m_pPreview, 1);
  layout->addWidget(MakeRegexLink(this));
  Fill();

  connect(m_pRules, &QTreeWidget::currentItemChanged, this, [this] {
    if (m_bFilling) return;
    m_model.Select(m_pRules->indexOfTopLevelItem(m_pRules->currentItem()));
    ShowSelected();
  });
  connect(m_pRules, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
    if (m_bFilling || column != 0) return;
    m_model.SetEnabled(m_pRules->indexOfTopLevelItem(item), item->checkState(0) == Qt::Checked);
    Fill();
  });
  connect(m_pAdd, &QPushButton::clicked, this, [this] {
    if (!ConfirmEdits()) return;
    m_model.Add();
    Fill();
    m_pPattern->setFocus();
  });
  connect(m_pDelete, &QPushButton::clicked, this, [this] {
    m_model.Delete();
    Fill();
  });
  connect(m_pUp, &QPushButton::clicked, this, [this] {
    if (!ConfirmEdits()) return;
    m_model.MoveUp();
    Fill();
  });
  connect(m_pDown, &QPushButton::clicked, this, [this] {
    if (!ConfirmEdits()) return;
    m_model.MoveDown();
    Fill();
  });
  connect(m_pConfirm, &QPushButton::clicked, this, [this] { ConfirmEdits(); });
  connect(m_pPreviewButton, &QPushButton::clicked, this, [this] { ShowPreview(); });
}

RuleTexts CAutoWatchPage::TypedTexts() const {
  return {ToUtf8(m_pPattern->text()), ToUtf8(m_pPrograms->text()), ToUtf8(m_pChannels->text()),
          ToUtf8(m_pWeekdays->text()), ToUtf8(m_pTime->text())};
}

bool CAutoWatchPage::ConfirmEdits() {
  if (m_model.Selected() < 0) return true;
  std::string message;
  if (!m_model.SetTexts(TypedTexts(), &message)) {
    ShowNotice(this, QString::fromStdString(message));
    return false;
  }
  Fill();
  return true;
}

bool CAutoWatchPage::Commit(QString* message) {
  std::string reason;
  if (m_model.Selected() >= 0 && !m_model.SetTexts(TypedTexts(), &reason)) {
    *message = QString::fromStdString(reason);
    return false;
  }
  return true;
}

void CAutoWatchPage::ShowPreview() {
  std::string message;
  const RulePreview preview = m_model.Preview(TypedTexts(), &message);
  m_pPreview->clear();
  if (!preview.problem.empty()) {
    m_pProblem->setText(QString::fromStdString(preview.problem));
    return;
  }
  for (const std::string& line : preview.lines) new QListWidgetItem(QString::fromStdString(line), m_pPreview);
  QString summary = QStringLiteral("%1 件の番組が一致します").arg(preview.lines.size());
  if (preview.capped) summary = QStringLiteral("一致する番組が多すぎます。1 回に印を付けるのは最初の %1 件までです").arg(preview.lines.size());
  if (preview.lines.empty()) summary = QStringLiteral("ダウンロード済みの日に一致する番組はありません");
  m_pProblem->setText(summary);
}

void CAutoWatchPage::Fill() {
  m_bFilling = true;
  m_pRules->clear();
  for (const app::AutoWatchRule& rule : m_model.Rules()) {
    const RuleTexts texts = AutoWatchPageModel::TextsOf(rule);
    auto* item = new QTreeWidgetItem(m_pRules);
    const QString values[] = {QString::fromStdString(texts.pattern), QString::fromStdString(texts.programs),
                              QString::fromStdString(texts.channels), QString::fromStdString(texts.weekdays),
                              QString::fromStdString(texts.time)};
    for (int column = 0; column < 5; ++column) item->setText(column, values[column]);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, rule.enabled ? Qt::Checked : Qt::Unchecked);
    const std::string problem = AutoWatchPageModel::Problem(rule);
    if (!problem.empty()) {
      // Shown as such: it never runs.
      item->setText(0, QStringLiteral("（無効）") + values[0]);
      for (int column = 0; column < 5; ++column) {
        item->setForeground(column, QColor(0xc6, 0x28, 0x28));
        item->setToolTip(column, QString::fromStdString(problem));
      }
    }
  }
  if (m_model.Selected() >= 0) m_pRules->setCurrentItem(m_pRules->topLevelItem(m_model.Selected()));
  m_bFilling = false;
  ShowSelected();
}

void CAutoWatchPage::ShowSelected() {
  const int selected = m_model.Selected();
  const RuleTexts texts =
      selected >= 0 ? AutoWatchPageModel::TextsOf(m_model.Rules()[static_cast<size_t>(selected)]) : RuleTexts{};
  m_pPattern->setText(QString::fromStdString(texts.pattern));
  m_pPrograms->setText(QString::fromStdString(texts.programs));
  m_pChannels->setText(QString::fromStdString(texts.channels));
  m_pWeekdays->setText(QString::fromStdString(texts.weekdays));
  m_pTime->setText(QString::fromStdString(texts.time));
  m_pProblem->setText(selected >= 0 ? QString::fromStdString(
                                          AutoWatchPageModel::Problem(m_model.Rules()[static_cast<size_t>(selected)]))
                                    : QString());
  for (QLineEdit* edit : {m_pPattern, m_pPrograms, m_pChannels, m_pWeekdays, m_pTime}) edit->setEnabled(selected >= 0);
  m_pConfirm->setEnabled(selected >= 0);
  m_pDelete->setEnabled(m_model.CanDelete());
  m_pUp->setEnabled(m_model.CanMoveUp());
  m_pDown->setEnabled(m_model.CanMoveDown());
}

}  // namespace kanro::settings
