#include "settings/ui/setting_property_sheet.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "settings/setting_sheet_model.h"
#include "settings/ui/page_bar.h"
#include "settings/ui/question_box.h"
#include "settings/ui/setting_pages.h"

namespace kanro::settings {
namespace {

// The page last active in this process; the next sheet opens on it.
int s_nLastPage = 0;

struct PageLook {
  const char* title;
  QColor color;
  const char* glyph;
};
const PageLook kLooks[] = {
    {"ダウンロード", QColor(0x2e, 0x7d, 0x32), "↓"}, {"拡張", QColor(0x6a, 0x1b, 0x9a), "＋"},
    {"ネットワーク", QColor(0x15, 0x65, 0xc0), "⇄"}, {"スタイルシート", QColor(0xef, 0x6c, 0x00), "◆"},
    {"キーワード", QColor(0xc6, 0x28, 0x28), "鍵"}, {"自動視聴予定", QColor(0x00, 0x83, 0x8f), "予"},
};

// Our own 48-pixel page icon: a coloured tile with a glyph.
QIcon PageIcon(const PageLook& look) {
  QPixmap pixmap(48, 48);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(look.color);
  painter.setPen(Qt::NoPen);
  painter.drawRoundedRect(QRectF(3, 3, 42, 42), 9, 9);
  painter.setPen(Qt::white);
  QFont font = painter.font();
  font.setPixelSize(26);
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(QRect(0, 0, 48, 48), Qt::AlignCenter, QString::fromUtf8(look.glyph));
  return QIcon(pixmap);
}

QDialogButtonBox* OkCancel(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace

void CPageSheet::accept() {
  std::vector<OpenedPage> opened;
  for (size_t i = 0; i < m_pages.size(); ++i) {
    CSettingPage* page = m_pages[i];
    if (!page) continue;
    if (!page->AskQuestions()) return ShowPage(static_cast<int>(i));
    QString message;
    if (!page->Commit(&message)) {
      ShowPage(static_cast<int>(i));
      ShowNotice(this, message);
      return;
    }
    opened.push_back({static_cast<int>(i), &page->Model()});
  }
  const SheetOkResult result = ConfirmPages(opened, [this](const std::vector<InvalidPattern>& invalid) {
    return AskYesNo(this, QString::fromStdString(InvalidPatternQuestion(invalid))) == QMessageBox::Yes;
  });
  if (!result.saved) {
    if (result.pageToShow >= 0) ShowPage(result.pageToShow);
    if (!result.message.empty()) ShowNotice(this, QString::fromStdString(result.message));
    return;
  }
  QDialog::accept();
}

void CPageSheet::reject() {
  for (CSettingPage* page : m_pages)
    if (page) page->Model().Discard();
  QDialog::reject();
}

CSettingPropertySheet::CSettingPropertySheet(QWidget* parent) : CPageSheet(parent) {
  setWindowTitle(QStringLiteral("プログラムの設定"));
  setWindowModality(Qt::WindowModal);
  m_pages.assign(kPageCount, nullptr);
  m_pNavigation = new CPageBar(this);
  m_pStack = new QStackedWidget(this);
  for (const PageLook& look : kLooks) {
    m_pNavigation->AddPage(PageIcon(look), QString::fromUtf8(look.title));
    m_pStack->addWidget(new QWidget(m_pStack));  // stands in until the page is opened
  }
  auto* body = new QHBoxLayout;
  body->addWidget(m_pNavigation);
  body->addWidget(m_pStack, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body, 1);
  layout->addWidget(OkCancel(this));
  resize(sizeHint().expandedTo(QSize(640, 560)));
  connect(m_pNavigation, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row < 0) return;
    EnsurePage(row);
    m_pStack->setCurrentIndex(row);
  });
  ShowPage(s_nLastPage >= 0 && s_nLastPage < kPageCount ? s_nLastPage : 0);
}

CSettingPropertySheet::~CSettingPropertySheet() { s_nLastPage = ActivePage(); }

int CSettingPropertySheet::ActivePage() const { return m_pStack->currentIndex(); }

void CSettingPropertySheet::ShowPage(int index) {
  if (index < 0 || index >= kPageCount) return;
  EnsurePage(index);
  m_pNavigation->setCurrentRow(index);
  m_pStack->setCurrentIndex(index);
}

void CSettingPropertySheet::EnsurePage(int index) {
  if (m_pages[static_cast<size_t>(index)]) return;
  CSettingPage* page = nullptr;
  switch (index) {
    case kDownload: page = new CDownloadPage(m_pStack); break;
    case kExtend: page = new CExtendPage(m_pStack); break;
    case kNetwork: page = new CNetworkPage(m_pStack); break;
    case kCss: {
      auto* css = new CCssPage(m_pStack);
      connect(css, &CCssPage::stylesheetApplied, this, &CSettingPropertySheet::stylesheetApplied);
      page = css;
      break;
    }
    case kKeyword: page = new CKeywordPage(m_pStack); break;
    default: page = new CAutoWatchPage(m_pStack); break;
  }
  page->setAccessibleName(QString::fromUtf8(kLooks[index].title));
  m_pages[static_cast<size_t>(index)] = page;
  QWidget* standIn = m_pStack->widget(index);
  m_pStack->removeWidget(standIn);
  delete standIn;
  m_pStack->insertWidget(index, page);
}

CKeywordSheet::CKeywordSheet(QWidget* parent) : CPageSheet(parent) {
  setWindowTitle(QStringLiteral("キーワードの編集"));
  setWindowModality(Qt::WindowModal);
  auto* page = new CKeywordPage(this);
  m_pages.push_back(page);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(page, 1);
  layout->addWidget(OkCancel(this));
  resize(480, 420);
}

}  // namespace kanro::settings
