#include "view/ui/kanro_view.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <cstdlib>
#include <limits>
#include <memory>

#include "app/auto_download.h"
#include "app/command_ids.h"
#include "app/listing_time.h"
#include "app/messages.h"
#include "app/settings_store.h"
#include "export/listing_page_reader.h"
#include "text/codepage.h"
#include "view/cell_text.h"
#include "view/day_navigation.h"
#include "view/launch_auto.h"
#include "view/keyword_highlight.h"
#include "view/page_locations.h"
#include "view/ui/data_page_printer.h"
#include "view/ui/find_bar.h"
#include "view/ui/internal_windows.h"
#include "view/ui/page_dom.h"
#include "view/ui/view_page.h"
#include "view/ui/watch_controller.h"

namespace kanro::view {

namespace fs = std::filesystem;
using namespace app::command;

namespace {

// The data page's document as seen from the frameset (the top page).
const QString kFramedDataDocument = QStringLiteral("window.frames['data'].document");

}  // namespace

class CKanroView::Impl {
 public:
  ~Impl() {
    // Pages go before the profile they use.
    printer.reset();
    delete web;
    delete page;
    delete profile;
  }

  QWebEngineProfile* profile = nullptr;
  ViewPage* page = nullptr;
  QWebEngineView* web = nullptr;
  CFindBar* findBar = nullptr;
  std::unique_ptr<DataPagePrinter> printer;

  QUrl indexUrl;
  bool framesetLoading = false;
  bool framesetLoaded = false;
  LaunchAutoPending launchAuto;

  fs::path documentPath;  // the data page asked for last
  fs::path headerPath;    // its header page
  fs::path shownPage;     // the data page that last finished loading

  CWatchController* watch = nullptr;

  struct PassRequest {
    MarkPass pass;
    std::function<void()> done;
  };
  bool passRunning = false;
  std::vector<PassRequest> pendingPasses;
};

CKanroView::CKanroView(ViewHost& host, DayState& days, QWidget* parent)
    : QWidget(parent), m_host(host), m_days(days), m_impl(std::make_unique<Impl>()) {
  m_impl->indexUrl = IndexUrl();
  m_impl->profile = CreateViewProfile();
  m_impl->page = new ViewPage(m_impl->profile);
  m_impl->page->onFrameReport = [this](const FrameReport& report) { OnFrameReport(report); };
  m_impl->page->onWatchLink = [this](const QUrl& url) { OnWatchLink(url); };
  m_impl->page->onIepgLink = [this](const QUrl& url) { LoadInHiddenFrame(url); };
  m_impl->page->onStatusText = [this](const std::string& text) {
    m_host.SetStatusText(QString::fromStdString(text::Cp932ToUtf8(text)));
  };
  m_impl->watch = new CWatchController(host, this);
  connect(m_impl->page, &QWebEnginePage::loadStarted, this, &CKanroView::OnLoadStarted);
  connect(m_impl->page, &QWebEnginePage::loadFinished, this, &CKanroView::OnLoadFinished);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  m_impl->web = new QWebEngineView(this);
  m_impl->web->setPage(m_impl->page);
  m_impl->web->setAccessibleName(QStringLiteral("番組表"));
  m_impl->findBar = new CFindBar(*m_impl->page, this);
  layout->addWidget(m_impl->web, 1);
  layout->addWidget(m_impl->findBar);
  setFocusProxy(m_impl->web);
  m_days.Observe([this](unsigned changes) { OnDayStateChanged(changes); });
}

CKanroView::~CKanroView() = default;

QWebEngineView* CKanroView::WebView() const { return m_impl->web; }
CFindBar* CKanroView::FindBar() const { return m_impl->findBar; }
CWatchController* CKanroView::WatchController() const { return m_impl->watch; }
const fs::path& CKanroView::DocumentPath() const { return m_impl->documentPath; }
bool CKanroView::IsFramesetLoaded() const { return m_impl->framesetLoaded; }
void CKanroView::OnDownloadStarted() { m_impl->launchAuto.DownloadStarted(); }
bool CKanroView::WorkerRunning() const { return g_pNetBusy.load() != nullptr; }

void CKanroView::OnInitialUpdate() {
  // Never written: no listing was ever chosen, the settings sheet comes first.
  if (GetProfileInt("Window", "TvProgramTypeIndex", -1) == -1) m_host.SendFrameCommand(ID_SETTINGS);
  m_days.SetWeek(ID_THIS_WEEK, app::GetListingTime());
  m_host.SendFrameCommand(ID_KEYWORD_SEARCH);
  if (app::m_bAutoDownload) {
    m_host.SendFrameCommand(ID_DOWNLOAD);
    return;
  }
  m_impl->launchAuto.Arm(GetProfileInt("Download", "LaunchAuto", 0) != 0);
  LoadFrameset();
}

void CKanroView::OnCommand(unsigned id) {
  switch (id) {
    case ID_PRINT_PREVIEW: OnPrintPreview(); return;
    case ID_FIND: OnFindInPage(); return;
    case ID_REDISPLAY: OnRedisplay(); return;
    case ID_CURRENT_LISTING: OnShowNow(); return;
    default: break;
  }
  if (IsHourCommand(id)) OnHourCommand(id);
  else if (IsDayCommand(id)) OnDayCommand(id);
}

CommandState CKanroView::OnUpdateCommand(unsigned id) const {
  if (IsDayCommand(id)) return m_days.DayCommandState(id);
  return {};
}

intptr_t CKanroView::HandleMessage(unsigned message, uintptr_t wParam, intptr_t) {
  switch (message) {
    case app::UM_REFRESHDAYS: m_days.RefreshAvailability(); break;
    case app::UM_SCROLLTOCELL:
      if (wParam <= static_cast<uintptr_t>(std::numeric_limits<int>::max())) ScrollToCell(static_cast<int>(wParam));
      break;
    case app::UM_SHOWDAY: ShowDay(); break;
    default: break;
  }
  return 0;
}

void CKanroView::OnDayStateChanged(unsigned changes) {
  // Another listing or day: it is shown (a week step alone shows nothing new).
  if ((changes & (DayState::kEntry | DayState::kDate)) != 0) ShowDay();
}

void CKanroView::LoadFrameset() {
  // Without index.htm there is nothing to show; the view stays empty.
  if (!IsShowablePage(LocalPathOf(m_impl->indexUrl))) return;
  m_impl->framesetLoading = true;
  m_impl->page->ExpectLoad(m_impl->indexUrl);
  m_impl->page->load(m_impl->indexUrl);
}

void CKanroView::OnLoadStarted() {
  m_impl->framesetLoading = true;
  m_impl->framesetLoaded = false;
}

void CKanroView::OnLoadFinished(bool ok) {
  m_impl->framesetLoading = false;
  KeepInternalWindowsFromScreenReaders();
  FrameReport top;
  top.topFrame = true;
  top.url = m_impl->page->url();
  if (!ok || ClassifyReport(top) != ReportedPage::Frameset) return;
  m_impl->framesetLoaded = true;
  // The current listing day of this week: the week is brought back first, so
  // a frameset loaded after "next week" or past 04:55 on a Sunday shows the
  // right day.
  m_days.SetWeek(ID_THIS_WEEK, app::GetListingTime());
  OnDayCommand(CurrentListingDayCommand());
}

void CKanroView::OnFrameReport(const FrameReport& report) {
  switch (ClassifyReport(report)) {
    case ReportedPage::DataPage:
      OnDataPageLoaded(report);
      break;
    case ReportedPage::HiddenFrameAnswer:
      // The hidden frame has done its job; it must not keep a remote page.
      FramesetDom(m_impl->page).BlankHiddenFrame();
      break;
    case ReportedPage::Frameset:
    case ReportedPage::Other:
      break;
  }
}

void CKanroView::OnDataPageLoaded(const FrameReport& report) {
  // A page deleted meanwhile shows the browser's error page: leave
  // everything as it was.
  const fs::path page = LocalPathOf(report.url);
  if (!IsShowablePage(page)) return;
  if (m_impl->launchAuto.TakeRequest(WorkerRunning())) m_host.SendFrameCommand(ID_DOWNLOAD);
  // The keyboard scrolls the listing, unless the reader is typing in the find bar.
  if (!m_impl->findBar->isAncestorOf(QApplication::focusWidget()))
    FramesetDom(m_impl->page).FocusData();
  m_host.SetWindowCaption(QString::fromStdString(WindowCaption(report.title.toStdString())));
  // A reload keeps the reader's scroll position; a newly shown day of today
  // opens at the wall-clock hour.
  if (!report.reload && m_days.Date() == app::DateText(app::GetListingTime())) OnHourCommand(CurrentHourCommand());
  m_impl->shownPage = page;
  RequestMarkPass(MarkPass::WatchAndKeywords,
                  [this, page] { Q_EMIT dataPageShown(QString::fromStdString(page.string())); });
}

void CKanroView::OnDayCommand(unsigned id) {
  if (m_days.IsAvailable(id)) {
    if (!m_impl->framesetLoaded) {
      // Its completion shows the current listing day.
      if (!m_impl->framesetLoading) LoadFrameset();
      return;
    }
    const std::string date = m_days.DateOf(id);
    if (!date.empty()) m_days.SetDate(date);
    return;
  }
  if (m_impl->launchAuto.TakeRequest(WorkerRunning())) m_host.SendFrameCommand(ID_DOWNLOAD);
}

void CKanroView::OnHourCommand(unsigned id) {
  const std::string anchor = HourAnchor(id);
  if (anchor.empty() || !m_impl->framesetLoaded) return;
  JumpToAnchor(anchor);
}

void CKanroView::JumpToAnchor(const std::string& name) {
  FramesetDom(m_impl->page).JumpToAnchor(QString::fromStdString(name));
}

void CKanroView::ShowDay() {
  const std::string entry = m_days.Entry();
  const std::string date = m_days.Date();
  if (entry.empty() || date.empty()) return;
  const fs::path header = HeaderPagePath(entry);
  const fs::path data = DataPagePath(date, entry);
  // A data page is never shown without its header page.
  if (!IsShowablePage(header) || !IsShowablePage(data)) return;

  int year = 0, month = 0, day = 0;
  if (ParseDate8(date, &year, &month, &day)) m_host.SetPickerDate(year, month, day);
  m_impl->documentPath = data;
  m_impl->headerPath = header;
  const std::string updated = ListingTimeText(data);
  if (!updated.empty()) m_host.SetListingTimeText(QString::fromStdString(updated));
  if (!m_impl->framesetLoaded) return;

  m_impl->page->ExpectLoad(PageUrl(header));
  m_impl->page->ExpectLoad(PageUrl(data));
  FramesetDom(m_impl->page).ShowPages(PageUrl(header), PageUrl(data));
}

void CKanroView::OnShowNow() {
  m_days.SetWeek(ID_THIS_WEEK, app::GetListingTime());
  OnDayCommand(CurrentListingDayCommand());
}

void CKanroView::OnRedisplay() { Reload(); }

void CKanroView::Reload() {
  if (!m_impl->framesetLoaded || m_impl->documentPath.empty()) return;
  // A page deleted while shown stays on screen as it was.
  if (!IsShowablePage(m_impl->documentPath)) return;
  const bool header = IsShowablePage(m_impl->headerPath);
  // A reload arrives as a navigation to the page itself.
  if (header) m_impl->page->ExpectLoad(PageUrl(m_impl->headerPath));
  m_impl->page->ExpectLoad(PageUrl(m_impl->documentPath));
  FramesetDom(m_impl->page).ReloadPages(header);
}

void CKanroView::ScrollToCell(int cellNumber) {
  if (cellNumber < 0) return;
  PageDom(m_impl->page, kFramedDataDocument).ScrollToCellId(QString::number(cellNumber));
}

void CKanroView::ScrollToProgramme(const std::string& watchId) {
  if (watchId.empty() || watchId.find_first_not_of("0123456789") != std::string::npos) return;
  PageDom(m_impl->page, kFramedDataDocument).ScrollToProgramme(QString::fromStdString(watchId));
}

void CKanroView::OnWatchLink(const QUrl& url) {
  if (m_impl->shownPage.empty()) return;
  const CWatchController::LinkResult result = m_impl->watch->OnWatchLink(url, m_impl->shownPage);
  if (!result.handled) return;
  // The page is re-marked first; the service hears of the change after.
  RequestMarkPass(MarkPass::WatchOnly, [this, notification = result.notification] {
    if (!notification.isEmpty()) LoadInHiddenFrame(notification);
  });
}

void CKanroView::LoadInHiddenFrame(const QUrl& url) {
  m_impl->page->ExpectLoad(url);
  PageDom(m_impl->page, kFramedDataDocument).LoadInHiddenFrame(url);
}

void CKanroView::RequestMarkPass(MarkPass pass, std::function<void()> done) {
  m_impl->pendingPasses.push_back({pass, std::move(done)});
  if (!m_impl->passRunning) RunNextMarkPass();
}

void CKanroView::RunNextMarkPass() {
  if (m_impl->pendingPasses.empty()) return;
  std::vector<Impl::PassRequest> requests;
  requests.swap(m_impl->pendingPasses);
  bool keywords = false;
  for (const Impl::PassRequest& request : requests) keywords = keywords || request.pass == MarkPass::WatchAndKeywords;
  m_impl->passRunning = true;

  auto finish = [this, requests = std::move(requests)]() {
    m_impl->passRunning = false;
    for (const Impl::PassRequest& request : requests)
      if (request.done) request.done();
    RunNextMarkPass();
  };
  const PageDom dom(m_impl->page, kFramedDataDocument);
  const fs::path page = m_impl->shownPage;
  dom.Collect([this, dom, page, keywords, finish = std::move(finish)](PageCells collected) mutable {
    if (!collected.ok || page != m_impl->shownPage) {
      finish();
      return;
    }
    std::vector<PageCell> cells = collected.cells;
    ApplyWatchMarks(cells, page, true);
    std::map<int, std::string> hits;
    std::map<int, PageHitText> texts;
    const bool highlighted = keywords && HighlightKeywords(cells, &hits, &texts);
    dom.Apply(collected.generation, DiffCells(collected.cells, cells),
              [this, page, highlighted, hits = std::move(hits), texts = std::move(texts),
               finish = std::move(finish)](bool applied) mutable {
                if (applied) {
                  // Hits of a page the reader has already left (another day
                  // was asked for meanwhile) would use up the task pane's
                  // pending scroll meant for the next page.
                  if (highlighted && page == LocalPathOf(PageUrl(m_impl->documentPath)))
                    m_host.ShowPageKeywords(hits, page, texts);
                  Q_EMIT marksApplied();
                }
                finish();
              });
  });
}

void CKanroView::ApplyWatchMarks(std::vector<PageCell>& cells, const fs::path& page, bool onScreen) {
  m_impl->watch->DecidePass(cells, page, onScreen);
}

bool CKanroView::HighlightKeywords(std::vector<PageCell>& cells, std::map<int, std::string>* hits,
                                   std::map<int, PageHitText>* texts) const {
  std::vector<std::u32string> cellTexts;
  cellTexts.reserve(cells.size());
  // The text as the reader sees it, hidden text included; the line break
  // between title and description counts.
  for (const PageCell& cell : cells) cellTexts.push_back(CellText(cell.markup));
  KeywordHighlight highlight = HighlightCells(cellTexts, m_host.Keywords());
  if (!highlight.applied) return false;
  if (!highlight.marks.empty()) {
    // The channels stand in the table layout, which the page reader knows.
    const std::string name = m_impl->shownPage.stem().string();
    const int date = name.size() > 8 ? std::atoi(name.substr(0, 8).c_str()) : 0;
    const fs::path header = name.size() > 8 ? HeaderPagePath(name.substr(8)) : fs::path();
    const exports::PageReadResult read = exports::ReadListingPages(header, m_impl->shownPage, date);
    *texts = DescribePageHits(highlight.marks, cells, read.ok ? ChannelsByWatchId(read.day) : ChannelOfWatchId{});
  }
  for (const CellMark& mark : highlight.marks) {
    PageCell& cell = cells[mark.cell];
    cell.className += U" keyword";
    cell.id = text::Utf8ToWide(std::to_string(mark.number));
  }
  *hits = std::move(highlight.hits);
  return true;
}

void CKanroView::MarkPrintCopy(QWebEnginePage* copy, const fs::path& page) {
  PageDom(copy, QStringLiteral("document")).MarkAndWait([this, &page](std::vector<PageCell>& cells) {
    ApplyWatchMarks(cells, page, false);
  });
}

bool CKanroView::PrintDataPage(QPrinter& printer) {
  if (m_impl->documentPath.empty() || !IsShowablePage(m_impl->documentPath)) return false;
  DataPagePrinter job(m_impl->profile);
  if (!job.Load(PageUrl(m_impl->documentPath))) return false;
  MarkPrintCopy(job.Page(), m_impl->documentPath);
  return job.Print(printer);
}

void CKanroView::OnPrintPreview() {
  if (m_impl->documentPath.empty() || !IsShowablePage(m_impl->documentPath)) return;
  // One loaded copy serves every repaint of the preview.
  m_impl->printer = std::make_unique<DataPagePrinter>(m_impl->profile);
  if (!m_impl->printer->Load(PageUrl(m_impl->documentPath))) {
    m_impl->printer.reset();
    return;
  }
  MarkPrintCopy(m_impl->printer->Page(), m_impl->documentPath);
  // Every sheet is rendered as an image at the printer's resolution: 300 dpi
  // prints sharp text without taking minutes for a whole day.
  QPrinter printer;
  printer.setResolution(300);
  QPrintPreviewDialog dialog(&printer, this);
  dialog.setWindowTitle(QStringLiteral("印刷プレビュー"));
  connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
    if (m_impl->printer) m_impl->printer->Print(*target);
  });
  dialog.exec();
  m_impl->printer.reset();
}

void CKanroView::OnFindInPage() { m_impl->findBar->Open(); }

}  // namespace kanro::view
