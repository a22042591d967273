#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "settings/ui/page_widgets.h"
#include "settings/ui/question_box.h"
#include "settings/ui/setting_pages.h"
#include "text/codepage.h"

namespace kanro::settings {
namespace {

QCheckBox* Check(const QString& text, int& member, QWidget* parent) {
  auto* box = new QCheckBox(text, parent);
  box->setAccessibleName(text);
  box->setChecked(member != 0);
  QObject::connect(box, &QCheckBox::toggled, box, [&member](bool on) { member = on ? 1 : 0; });
  return box;
}

}  // namespace

CDownloadPage::CDownloadPage(QWidget* parent) : CSettingPage(parent) {
  m_pTree = new QTreeWidget(this);
  m_pTree->setHeaderHidden(true);
  m_pTree->setAccessibleName(QStringLiteral("番組表一覧"));
  for (const RegionGroup& region : RegionTree()) {
    auto* root = new QTreeWidgetItem(m_pTree, {ToQt(region.name)});
    for (int number : region.prefectures) {
      auto* prefecture = new QTreeWidgetItem(root, {ToQt(PrefectureNameCp932(number))});
      prefecture->setData(0, Qt::UserRole, number);
      for (int type = 0; type < ListingTypeCount(); ++type) {
        auto* item = new QTreeWidgetItem(prefecture, {ToQt(ListingTypeNameCp932(type))});
        item->setData(0, Qt::UserRole, type);
      }
    }
  }
  m_pList = new QListWidget(this);
  m_pList->setAccessibleName(QStringLiteral("取得する番組表"));
  m_pList->installEventFilter(this);
  m_pAdd = new QPushButton(QStringLiteral("追加"), this);
  m_pAdd->setToolTip(QStringLiteral("取得する番組表を追加します"));
  m_pAdd->setEnabled(false);
  m_pRemove = new QPushButton(QStringLiteral("削除"), this);
  m_pRemove->setToolTip(QStringLiteral("番組表を取得しないようにします"));
  m_pRemove->setEnabled(false);
  FillList(-1);

  auto* days = new QComboBox(this);
  for (int i = 1; i <= DownloadPageModel::kDaysItems; ++i) days->addItem(QString::number(i));
  days->setCurrentIndex(m_model.DaysIndex());
  days->setAccessibleName(QStringLiteral("日分ダウンロードする"));
  connect(days, &QComboBox::activated, this, [this](int index) { m_model.ChooseDays(index); });
  auto* wait = new CBoundedSpinBox(DownloadPageModel::kWaitSpinMax, this);
  wait->setValue(m_model.m_nWaitSec);
  wait->setAccessibleName(QStringLiteral("秒間隔でダウンロードする"));
  connect(wait, &QSpinBox::valueChanged, this, [this](int v) { m_model.m_nWaitSec = v; });

  auto* launch = Check(QStringLiteral("起動時にダウンロードする"), m_model.m_bLaunchAuto, this);
  m_pOnceADay = Check(QStringLiteral("１日に１度"), m_model.m_bOnceADay, this);
  connect(launch, &QCheckBox::clicked, this, [this](bool on) { m_pOnceADay->setEnabled(on); });

  auto* lists = new QHBoxLayout;
  lists->addWidget(m_pTree);
  auto* buttons = new QVBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_pAdd);
  buttons->addWidget(m_pRemove);
  buttons->addStretch();
  lists->addLayout(buttons);
  lists->addWidget(m_pList);
  auto* options = new QGridLayout;
  options->addWidget(Check(QStringLiteral("iEPGを取得する"), m_model.m_biEPG, this), 0, 0);
  options->addWidget(Check(QStringLiteral("Gコードを取得する"), m_model.m_bGCode, this), 0, 1);
  options->addWidget(Check(QStringLiteral("詳細を取得する"), m_model.m_bDetail, this), 0, 2);
  auto* dayRow = new QHBoxLayout;
  dayRow->addWidget(days);
  dayRow->addWidget(new QLabel(QStringLiteral("日分ダウンロードする"), this));
  dayRow->addStretch();
  options->addLayout(dayRow, 1, 0);
  options->addWidget(Check(QStringLiteral("最新の番組表に更新する"), m_model.m_bKeepFresh, this), 1, 1);
  options->addWidget(Check(QStringLiteral("リンクを完全に削除する"), m_model.m_bRemoveAnchor, this), 1, 2);
  options->addWidget(launch, 2, 0);
  options->addWidget(m_pOnceADay, 2, 1);
  auto* waitRow = new QHBoxLayout;
  waitRow->addWidget(wait);
  waitRow->addWidget(new QLabel(QStringLiteral("秒間隔でダウンロードする"), this));
  waitRow->addStretch();
  options->addLayout(waitRow, 3, 0, 1, 2);
  // The addresses of the tuner server and the XMLTV file, for the entries of
  // those types.
  auto* addresses = new QGridLayout;
  auto addressField = [this, addresses](int row, const QString& label, const QString& hint, std::string& member) {
    auto* field = new QLineEdit(ToQt(member), this);
    field->setAccessibleName(label);
    field->setPlaceholderText(hint);
    connect(field, &QLineEdit::textEdited, this,
            [&member](const QString& text) { member = text::Utf8ToCp932(ToUtf8(text.trimmed())); });
    addresses->addWidget(new QLabel(label, this), row, 0);
    addresses->addWidget(field, row, 1);
  };
  addressField(0, QStringLiteral("チューナーサーバー"), QStringLiteral("http://localhost:40772/"), m_model.m_strTunerUrl);
  addressField(1, QStringLiteral("XMLTV ファイル"), QStringLiteral("ファイルのパス、または http:// のアドレス"),
               m_model.m_strXmltvUrl);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists, 1);
  layout->addLayout(options);
  layout->addLayout(addresses);

  connect(m_pTree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    m_pAdd->setEnabled(item && item->childCount() == 0);
  });
  connect(m_pTree, &QTreeWidget::itemDoubleClicked, this, [this] { OnAdd(); });
  connect(m_pAdd, &QPushButton::clicked, this, [this] { OnAdd(); });
  connect(m_pRemove, &QPushButton::clicked, this, [this] { OnRemove(); });
  connect(m_pList, &QListWidget::currentRowChanged, this,
          [this](int row) { m_pRemove->setEnabled(row >= 0); });
}

void CDownloadPage::FillList(int select) {
  m_pList->clear();
  for (const ProgrammeItem& item : m_model.Items()) m_pList->addItem(ToQt(ProgrammeLabel(item)));
  m_pList->setCurrentRow(select);
  m_pRemove->setEnabled(select >= 0);
}

void CDownloadPage::OnAdd() {
  QTreeWidgetItem* item = m_pTree->currentItem();
  if (!item || item->childCount() > 0 || !item->parent()) return;
  const ProgrammeItem programme{item->parent()->data(0, Qt::UserRole).toInt(), item->data(0, Qt::UserRole).toInt()};
  if (m_model.Add(programme)) FillList(m_pList->currentRow());
}

void CDownloadPage::OnRemove() {
  const int row = m_pList->currentRow();
  if (row < 0) return;
  FillList(m_model.Remove(row));
  m_pList->setFocus();
}

bool CDownloadPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_pList && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    OnRemove();
    return true;
  }
  return CSettingPage::eventFilter(watched, event);
}

}  // namespace kanro::settings
