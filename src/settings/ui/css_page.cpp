#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/paths.h"
#include "settings/ui/desktop_link.h"
#include "settings/ui/question_box.h"
#include "settings/ui/setting_pages.h"

namespace kanro::settings {

CCssPage::CCssPage(QWidget* parent) : CSettingPage(parent) {
  m_pList = new QTreeWidget(this);
  m_pList->setAccessibleName(QStringLiteral("スタイルシート"));
  m_pList->setRootIsDecorated(false);
  m_pList->setColumnCount(4);
  m_pList->setHeaderLabels(
      {QStringLiteral("ファイル名"), QStringLiteral("説明"), QStringLiteral("作者"), QStringLiteral("更新日")});
  m_pList->headerItem()->setTextAlignment(3, Qt::AlignRight);
  m_pList->header()->setSectionsClickable(true);
  m_pApply = new QPushButton(QStringLiteral("適用"), this);
  m_pApply->setAccessibleName(QStringLiteral("適用"));
  m_pApply->setToolTip(QStringLiteral("現在表示している番組表に、選択中のスタイルシートを適用します"));
  m_pApply->setEnabled(false);
  auto* link = new QLabel(QStringLiteral("<a href=\"https://kanro.example.jp/\">スタイルシートをダウンロード</a>"), this);
  link->setTextFormat(Qt::RichText);  // our own fixed text
  OpenLinksThroughDesktop(link);
  link->setToolTip(QStringLiteral("スタイルシートダウンロード"));
  link->setAccessibleName(QStringLiteral("スタイルシートをダウンロード"));
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(m_pApply);
  bottom->addStretch();
  bottom->addWidget(link);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pList, 1);
  layout->addLayout(bottom);
  Fill();
  m_pApply->setEnabled(false);

  connect(m_pList->header(), &QHeaderView::sectionClicked, this, [this](int column) {
    m_model.SortBy(column);
    Fill();
  });
  connect(m_pList, &QTreeWidget::itemSelectionChanged, this, [this] {
    const QList<QTreeWidgetItem*> selected = m_pList->selectedItems();
    m_model.Select(selected.isEmpty() ? -1 : m_pList->indexOfTopLevelItem(selected.first()));
    m_pApply->setEnabled(!selected.isEmpty());
  });
  connect(m_pApply, &QPushButton::clicked, this, [this] {
    if (m_model.ApplySelected()) {
      m_pApply->setEnabled(false);
      Q_EMIT stylesheetApplied();
    }
  });
}

void CCssPage::Fill() {
  const QSignalBlocker block(m_pList);
  m_pList->clear();
  for (const StylesheetInfo& info : m_model.Rows()) {
    auto* item = new QTreeWidgetItem(m_pList, {QString::fromLocal8Bit(info.fileName), ToQt(info.description),
                                               ToQt(info.author), ToQt(info.date)});
    item->setTextAlignment(3, Qt::AlignRight);
  }
  if (QTreeWidgetItem* item = m_pList->topLevelItem(m_model.Selected())) {
    item->setSelected(true);
    m_pList->setCurrentItem(item);
  }
  for (int c = 0; c < 4; ++c) m_pList->resizeColumnToContents(c);
}

void CCssPage::showEvent(QShowEvent* event) {
  CSettingPage::showEvent(event);
  if (m_bChecked) return;
  m_bChecked = true;
  // Asked once the page is on screen, not from inside the show.
  QTimer::singleShot(0, this, [this] { CheckModification(); });
}

void CCssPage::CheckModification() {
  if (!m_model.ActiveIsModified()) return;
  switch (AskYesNoCancel(this, QString::fromStdString(m_model.ModificationQuestion()))) {
    case QMessageBox::Yes: {
      const std::string name = m_model.Rows()[static_cast<size_t>(m_model.ActiveRow())].fileName;
      const QString proposed = QString::fromStdString((app::CssFolder() / ProposedSaveName(name)).string());
      const QString chosen =
          QFileDialog::getSaveFileName(this, QStringLiteral("\"default.css\"以外のファイル名を指定してください。"),
                                       proposed, QStringLiteral("スタイルシート (*.css)"));
      if (!chosen.isEmpty()) {
        std::filesystem::path target = chosen.toStdString();
        if (target.extension().empty()) target += ".css";
        if (!m_model.SaveEditsAs(target)) ShowNotice(this, QStringLiteral("スタイルシートを保存できませんでした。"));
      }
      break;
    }
    case QMessageBox::No:
      m_model.Select(m_model.ActiveRow());
      m_model.ApplySelected();
      break;
    default:
      break;
  }
}

}  // namespace kanro::settings
