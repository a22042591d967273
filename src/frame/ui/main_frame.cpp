#include "frame/ui/main_frame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/clock.h"
#include "app/keyword_list.h"
#include "app/listing_time.h"
#include "app/messages.h"
#include "app/settings_store.h"
#include "frame/ui/app_look_style.h"
#include "frame/ui/caption_bar.h"
#include "frame/ui/download_orchestrator.h"
#include "frame/ui/missing_day_offer.h"
#include "frame/app_look.h"
#include "frame/ui/tool_images.h"
#include "frame/window_size.h"
#include "listing/listing_entries.h"
#include "settings/css_page_model.h"
#include "settings/ui/question_box.h"
#include "taskpane/auto_watch.h"
#include "taskpane/ui/task_pane.h"
#include "text/codepage.h"
#include "view/day_navigation.h"
#include "view/page_locations.h"
#include "view/ui/kanro_view.h"

namespace kanro::frame {
namespace {

// Bumped when the saved dock layout would no longer fit the bars.
constexpr int kLayoutVersion = 1;
constexpr int kDefaultTaskPaneWidth = 200;
constexpr int kMinTaskPaneWidth = 150;

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QByteArray ToBytes(const std::string& bytes) {
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string FromBytes(const QByteArray& bytes) {
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// Menu texts escape "&" that is not a mnemonic; table captions carry only
// real mnemonics, so they are used as they are.
QString MenuText(const std::string& caption) {
  std::string text = caption;
  size_t tab = text.find('\t');
  if (tab != std::string::npos) text.erase(tab);
  return FromUtf8(text);
}

}  // namespace

CMainFrame::CMainFrame(const MainFrameOptions& options, QWidget* parent) : QMainWindow(parent), m_options(options) {
  setObjectName(QStringLiteral("MainFrame"));
  setWindowTitle(QStringLiteral("Kanro"));
  setWindowIcon(ProgramIcon());
  setAccessibleName(QStringLiteral("Kanro"));
  setIconSize(QSize(23, 23));

  const bool lookStored = GetProfileInt("Workspace", "ApplicationLook", -1) != -1;
  // The desktop's own palette, before a look replaces it.
  const QColor desktopWindow = QApplication::palette().color(QPalette::Window);
  m_nAppLook = NormalizeLook(GetProfileInt("Workspace", "ApplicationLook", kDefaultLook));
  ApplyApplicationLook(m_nAppLook);
  if (!lookStored && !m_options.unattended &&
      IsDarkWindowColour(desktopWindow.red(), desktopWindow.green(), desktopWindow.blue())) {
    // First start on a dark desktop: propose the dark look once the window is up.
    QTimer::singleShot(0, this, [this] {
      const bool dark = settings::AskYesNo(this, QStringLiteral("デスクトップの配色が暗いようです。ダークの外観と暗い番組表のスタイルに切り替えますか?")) ==
                        QMessageBox::Yes;
      if (dark) {
        SetApplicationLook(kDarkLook);
      } else {
        WriteProfileInt("Workspace", "ApplicationLook", m_nAppLook);  // asked once only
      }
    });
  }

  m_dayState.Observe([this](unsigned changes) { OnDayStateChanged(changes); });
  CreateActions();
  CreateMenus();
  CreateToolBars();
  CreateStatusBar();
  CreateTaskPane();
  CreateCaptionBarAndView();

  m_orchestrator = std::make_unique<CDownloadOrchestrator>(*this);
  // The one notice of the busy state: the download commands' checks follow.
  connect(m_orchestrator.get(), &CDownloadOrchestrator::busyChanged, this, [this] { UpdateCommandStates(); });
  connect(m_orchestrator.get(), &CDownloadOrchestrator::readyToClose, this, [this] { OnReadyToClose(); },
          Qt::QueuedConnection);
  // A pending automatic download is no longer wanted once any download runs.
  connect(m_orchestrator.get(), &CDownloadOrchestrator::downloadStarted, m_view, &view::CKanroView::OnDownloadStarted);
  m_orchestrator->SetUnattendedRun(options.unattended);

  app::LoadKeywords(m_keywords);
  RestoreLayout();
  m_orchestrator->StartDailyTimer();
  // The day buttons carry dates from the start; the view's first update
  // shows this week again.
  SetWeek(ID_THIS_WEEK);
  FitLayoutToScreen();  // the day buttons have their dates now
}

QMenu* CMainFrame::createPopupMenu() {
  // The bars' context menu: one toggle per bar and pane, then Customize.
  QMenu* menu = QMainWindow::createPopupMenu();
  if (menu == nullptr) menu = new QMenu(this);
  menu->addSeparator();
  menu->addAction(Action(ID_CUSTOMIZE));
  return menu;
}

CMainFrame::~CMainFrame() {
  if (m_end != EndState::Closed && m_end != EndState::ClosedAfterReset && m_end != EndState::ResetDone)
    SaveSelectorIndex();
  // The orchestration waits for a running worker, whose last messages still
  // reach this window and its view, so it goes first.
  m_orchestrator.reset();
}

// ---- building -------------------------------------------------------------

void CMainFrame::CreateActions() {
  m_lookGroup = new QActionGroup(this);
  m_lookGroup->setExclusive(true);
  for (const CommandInfo& info : CommandTable()) {
    auto* action = new QAction(MenuText(info.caption), this);
    action->setObjectName(QStringLiteral("action%1").arg(info.id));
    action->setData(info.id);
    action->setStatusTip(FromUtf8(info.prompt));
    action->setToolTip(FromUtf8(info.toolTip));
    action->setIcon(CommandImage(info));
    if (!info.shortcut.empty()) {
      action->setShortcut(QKeySequence(FromUtf8(info.shortcut)));
      action->setShortcutContext(Qt::WindowShortcut);
    }
    const unsigned id = info.id;
    action->setCheckable(info.checkable);
    if (IsLookCommand(id)) m_lookGroup->addAction(action);
    if (id == ID_REDOWNLOAD || id == ID_REDOWNLOAD_HEADERS || id == ID_DOWNLOAD)
      action->setIconText(FromUtf8(DownloadBarText(id)));
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    // Accelerators work wherever the focus is in the window (the page too).
    addAction(action);
    m_actions[id] = action;
  }
}

QMenu* CMainFrame::BuildMenu(const std::string& caption, const std::vector<MenuItem>& items, QWidget* parent) {
  auto* menu = new QMenu(FromUtf8(caption), parent);
  for (const MenuItem& item : items) {
    switch (item.kind) {
      case MenuItem::Kind::Separator: menu->addSeparator(); break;
      case MenuItem::Kind::Popup: menu->addMenu(BuildMenu(item.caption, item.items, menu)); break;
      case MenuItem::Kind::Command:
        if (item.id == ID_TOOLBAR_PLACEHOLDER) {
          m_toolbarMenu = menu;
        } else if (QAction* action = Action(item.id)) {
          menu->addAction(action);
        }
        break;
    }
  }
  return menu;
}

void CMainFrame::CreateMenus() {
  for (const MenuItem& popup : MainMenu()) menuBar()->addMenu(BuildMenu(popup.caption, popup.items, menuBar()));
  menuBar()->setAccessibleName(QStringLiteral("メニュー バー"));

  m_downloadDropMenu = new QMenu(QStringLiteral("ダウンロード"), this);
  for (const MenuItem& item : DownloadDropMenu()) m_downloadDropMenu->addAction(Action(item.id));
  // The drop-down shows its own mnemonics on the shared actions.
  connect(m_downloadDropMenu, &QMenu::aboutToShow, this, [this] {
    for (const MenuItem& item : DownloadDropMenu()) Action(item.id)->setText(MenuText(item.caption));
  });
  connect(m_downloadDropMenu, &QMenu::aboutToHide, this, [this] {
    for (const MenuItem& item : DownloadDropMenu()) Action(item.id)->setText(MenuText(FindCommand(item.id)->caption));
  });
}

void CMainFrame::CreateToolBars() {
  for (const ToolBarInfo& info : ToolBars()) {
    auto* bar = new QToolBar(FromUtf8(info.caption), this);
    bar->setObjectName(FromUtf8(info.objectName));
    bar->setAccessibleName(FromUtf8(info.caption));
    bar->setIconSize(QSize(23, 23));
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    auto& entries = m_barEntries[info.id];
    for (unsigned id : info.buttons) {
      if (id == 0) {
        bar->addSeparator();
        continue;
      }
      QAction* command = Action(id);
      QAction* entry = nullptr;
      if (info.id == ID_STANDARD_BAR && id == ID_LISTING_SELECTOR) {
        m_selector = new QComboBox(bar);
        m_selector->setObjectName(QStringLiteral("ListingSelector"));
        m_selector->setAccessibleName(QStringLiteral("番組表の選択"));
        m_selector->setToolTip(command->toolTip());
        m_selector->setStatusTip(command->statusTip());
        m_selector->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        m_selector->setMinimumContentsLength(12);
        // Only the user's choice shows another listing; filling does not.
        connect(m_selector, &QComboBox::activated, this, [this](int) { OnCommand(ID_LISTING_SELECTOR); });
        entry = bar->addWidget(m_selector);
      } else if (info.id == ID_STANDARD_BAR && id == ID_DATE_PICKER) {
        m_datePicker = new QDateEdit(bar);
        m_datePicker->setObjectName(QStringLiteral("DatePicker"));
        m_datePicker->setAccessibleName(QStringLiteral("日付の選択"));
        m_datePicker->setToolTip(command->toolTip());
        m_datePicker->setStatusTip(command->statusTip());
        m_datePicker->setCalendarPopup(true);
        m_datePicker->calendarWidget()->setFirstDayOfWeek(Qt::Sunday);  // as the day bar
        m_datePicker->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        m_datePicker->setDate(QDate::currentDate());
        connect(m_datePicker, &QDateEdit::dateChanged, this, [this](QDate) { OnCommand(ID_DATE_PICKER); });
        // A day picked in the calendar without a page: say so, offer the download.
        auto offer = [this](QDate) { TellOfMissingDay(*this, MissingDayReply::Offer); };
        connect(m_datePicker->calendarWidget(), &QCalendarWidget::clicked, this, offer, Qt::QueuedConnection);
        connect(m_datePicker->calendarWidget(), &QCalendarWidget::activated, this, offer, Qt::QueuedConnection);
        entry = bar->addWidget(m_datePicker);
      } else if (info.id == ID_STANDARD_BAR && id == ID_DOWNLOAD) {
        m_splitButton = new QToolButton(bar);
        m_splitButton->setObjectName(QStringLiteral("DownloadSplitButton"));
        m_splitButton->setText(QStringLiteral("ダウンロード"));
        m_splitButton->setAccessibleName(QStringLiteral("ダウンロード"));
        m_splitButton->setIcon(command->icon());
        m_splitButton->setToolTip(command->toolTip());
        m_splitButton->setStatusTip(command->statusTip());
        m_splitButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        m_splitButton->setPopupMode(QToolButton::MenuButtonPopup);
        m_splitButton->setMenu(m_downloadDropMenu);
        m_splitButton->setCheckable(true);
        m_splitButton->setAutoRaise(true);
        connect(m_splitButton, &QToolButton::clicked, this, [this] { OnCommand(ID_DOWNLOAD); });
        connect(command, &QAction::changed, m_splitButton, [this, command] {
          m_splitButton->setEnabled(command->isEnabled());
          m_splitButton->setChecked(command->isChecked());
        });
        entry = bar->addWidget(m_splitButton);
      } else {
        auto* button = new QToolButton(bar);
        button->setDefaultAction(command);
        button->setAutoRaise(true);
        button->setIconSize(QSize(23, 23));
        button->setToolButtonStyle(info.textBesideImage ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly);
        entry = bar->addWidget(button);
      }
      entries.emplace_back(id, entry);
    }
    addToolBar(Qt::TopToolBarArea, bar);
    m_toolBars[info.id] = bar;
    connect(bar, &QToolBar::visibilityChanged, this, [this] { UpdateCommandStates(); });
    ApplyToolBarDefaults(info.id);
  }
  // The date bar sits on its own row below the other three.
  removeToolBar(ToolBar(ID_DATE_BAR));
  addToolBarBreak(Qt::TopToolBarArea);
  addToolBar(Qt::TopToolBarArea, ToolBar(ID_DATE_BAR));
  ToolBar(ID_DATE_BAR)->show();
  ToolBar(ID_DOWNLOAD_BAR)->hide();

  if (m_toolbarMenu) {
    m_toolbarMenu->addAction(ToolBar(ID_STANDARD_BAR)->toggleViewAction());
    m_toolbarMenu->addAction(Action(ID_TIME_BAR));
    m_toolbarMenu->addAction(Action(ID_DATE_BAR));
    m_toolbarMenu->addAction(Action(ID_DOWNLOAD_BAR));
    m_toolbarMenu->addAction(Action(ID_TASK_PANE));
    m_toolbarMenu->addSeparator();
    m_toolbarMenu->addAction(Action(ID_CUSTOMIZE));
  }
}

void CMainFrame::ApplyToolBarDefaults(unsigned barId) {
  for (auto& [id, entry] : m_barEntries[barId]) entry->setVisible(ButtonVisibleByDefault(barId, id));
  if (barId == ID_STANDARD_BAR) {
    FillListingSelector();
    int index = GetProfileInt("Window", "TvProgramTypeIndex", 0);
    if (index < 0 || index >= m_selector->count()) index = 0;
    SelectIndex(m_selector->count() > 0 ? index : -1);
  }
}

void CMainFrame::ResetToolBar(unsigned barId) {
  for (auto& [id, entry] : m_barEntries[barId]) entry->setVisible(ButtonVisibleByDefault(barId, id));
  SaveToolBarButtons(barId);
}

void CMainFrame::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar"));
  bar->setAccessibleName(QStringLiteral("ステータス バー"));
  bar->setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
  m_statusText = new QLabel(bar);
  m_statusText->setObjectName(QStringLiteral("StatusPane1"));
  m_statusText->setTextFormat(Qt::PlainText);
  m_statusText->setAccessibleName(QStringLiteral("状態"));
  m_progress = new QProgressBar(bar);
  m_progress->setObjectName(QStringLiteral("ProgressPane"));
  m_progress->setAccessibleName(QStringLiteral("進行状況"));
  m_progress->setTextVisible(false);
  m_progress->setFixedWidth(100);
  m_listingTime = new QLabel(bar);
  m_listingTime->setObjectName(QStringLiteral("StatusPane3"));
  m_listingTime->setTextFormat(Qt::PlainText);
  m_listingTime->setToolTip(QStringLiteral("番組表取得日時"));
  m_listingTime->setAccessibleName(QStringLiteral("番組表取得日時"));
  bar->addPermanentWidget(m_statusText);
  bar->addPermanentWidget(m_progress);
  bar->addPermanentWidget(m_listingTime);
  m_statusText->hide();
  m_progress->hide();
  m_listingTime->hide();
}

void CMainFrame::CreateTaskPane() {
  m_taskDock = new QDockWidget(QStringLiteral("作業ウィンドウ"), this);
  m_taskDock->setObjectName(QStringLiteral("TaskPane"));
  m_taskDock->setAccessibleName(QStringLiteral("作業ウィンドウ"));
  m_taskDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  m_taskDock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                          QDockWidget::DockWidgetFloatable);
  m_taskPane = new taskpane::CTaskPane(*this, m_options.unattended, m_taskDock);
  m_taskPane->resize(kDefaultTaskPaneWidth, 400);
  // Its lists stay readable: the pane is never squeezed below this.
  m_taskPane->setMinimumWidth(kMinTaskPaneWidth);
  m_taskDock->setWidget(m_taskPane);
  addDockWidget(Qt::LeftDockWidgetArea, m_taskDock);
  resizeDocks({m_taskDock}, {kDefaultTaskPaneWidth}, Qt::Horizontal);
  connect(m_taskDock, &QDockWidget::visibilityChanged, this, [this] { UpdateCommandStates(); });
}

void CMainFrame::CreateCaptionBarAndView() {
  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("CentralArea"));
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  m_captionBar = new CCaptionBar(central);
  if (m_options.demo) m_captionBar->SetBadge(QStringLiteral("デモ"));
  connect(m_captionBar, &CCaptionBar::newVersionClicked, this, [this] { OnCommand(ID_HOME_PAGE); });
  layout->addWidget(m_captionBar);
  m_view = new view::CKanroView(*this, m_dayState, central);
  m_view->setObjectName(QStringLiteral("ListingView"));
  m_view->setAccessibleName(QStringLiteral("番組表"));
  layout->addWidget(m_view, 1);
  // A shown page may be another day: the day buttons' checks follow.
  connect(m_view, &view::CKanroView::dataPageShown, this, [this] { UpdateCommandStates(); });
  // Tests and benchmarks outside the process follow shown pages through this
  // file: one line per shown data page, "<CLOCK_MONOTONIC ns>\t<caption>\t<page path>".
  if (const QByteArray report = qgetenv("KANRO_REPORT_FIRST_PAGE"); !report.isEmpty()) {
    connect(m_view, &view::CKanroView::dataPageShown, this, [this, report](const QString& localPath) {
      const auto now = std::chrono::steady_clock::now().time_since_epoch();
      const long long ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
      QFile file(QString::fromLocal8Bit(report));
      if (file.open(QIODevice::Append))
        file.write((QString::number(ns) + QLatin1Char('\t') + windowTitle() + QLatin1Char('\t') + localPath +
                    QLatin1Char('\n'))
                       .toUtf8());
    });
  }
  setCentralWidget(central);
}

// ---- layout ---------------------------------------------------------------

void CMainFrame::RestoreLayout() {
  resize(1000, 700);
  if (auto geometry = GetProfileBinary("Workspace", "Geometry")) m_bGeometryRestored = restoreGeometry(ToBytes(*geometry));
  if (auto state = GetProfileBinary("Workspace", "State")) restoreState(ToBytes(*state), kLayoutVersion);
  for (const ToolBarInfo& info : ToolBars()) RestoreToolBarButtons(info.id);
  m_captionBar->setVisible(GetProfileInt("Workspace", "CaptionBar", 1) != 0);
  statusBar()->setVisible(GetProfileInt("Workspace", "StatusBar", 1) != 0);
}

void CMainFrame::FitLayoutToScreen() {
  QToolBar* dateBar = ToolBar(ID_DATE_BAR);
  // The window manager's frame is known once the window is on screen; until
  // then a typical one is allowed for.
  const bool framed = frameGeometry().size() != geometry().size();
  const int frameExtra = framed ? frameGeometry().width() - geometry().width() : 16;
  const int frameExtraHeight = framed ? frameGeometry().height() - geometry().height() : 40;
  constexpr int kBarMargins = 8;  // around a row of bars
  if (!m_bGeometryRestored) {
    const QRect available = screen()->availableGeometry();
    // The widest row of bars: the date bar alone, the other three together.
    int firstRow = 0;
    for (unsigned bar : {ID_STANDARD_BAR, ID_TIME_BAR, ID_DOWNLOAD_BAR})
      if (!ToolBar(bar)->isHidden()) firstRow += ToolBar(bar)->sizeHint().width();
    const int barsNeed = std::max(firstRow, dateBar->sizeHint().width()) + kBarMargins + frameExtra;
    const WindowExtent extent = DefaultWindowExtent({available.width(), available.height()}, barsNeed);
    resize(extent.width - frameExtra, extent.height - frameExtraHeight);
  }
  // Day buttons that would not fit beside their images show their dates
  // alone (the text names the weekday too), so no day falls into the
  // bar's overflow menu.
  if (dateBar->sizeHint().width() + kBarMargins > width()) {
    for (auto& [id, entry] : m_barEntries[ID_DATE_BAR])
      if (auto* button = qobject_cast<QToolButton*>(dateBar->widgetForAction(entry)))
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  }
}

void CMainFrame::SaveLayout() {
  WriteProfileBinary("Workspace", "Geometry", FromBytes(saveGeometry()));
  WriteProfileBinary("Workspace", "State", FromBytes(saveState(kLayoutVersion)));
  WriteProfileInt("Workspace", "CaptionBar", m_captionBar->isHidden() ? 0 : 1);
  WriteProfileInt("Workspace", "StatusBar", statusBar()->isHidden() ? 0 : 1);
  for (const ToolBarInfo& info : ToolBars()) SaveToolBarButtons(info.id);
}

// The buttons a bar shows, as a list of command ids; absent: the defaults.
void CMainFrame::SaveToolBarButtons(unsigned barId) {
  std::string shown;
  for (auto& [id, entry] : m_barEntries[barId])
    if (entry->isVisible()) shown += std::to_string(id) + ",";
  const ToolBarInfo* info = FindToolBar(barId);
  WriteProfileString("Workspace", ("Buttons" + info->objectName).c_str(), shown.empty() ? "," : shown);
}

void CMainFrame::RestoreToolBarButtons(unsigned barId) {
  const ToolBarInfo* info = FindToolBar(barId);
  std::string shown = GetProfileString("Workspace", ("Buttons" + info->objectName).c_str(), "");
  if (shown.empty()) return;
  for (auto& [id, entry] : m_barEntries[barId])
    entry->setVisible(("," + shown).find("," + std::to_string(id) + ",") != std::string::npos);
}

void CMainFrame::SaveSelectorIndex() {
  if (m_selector && m_selector->currentIndex() >= 0)
    WriteProfileInt("Window", "TvProgramTypeIndex", m_selector->currentIndex());
}

// ---- commands ---------------------------------------------------------------

QAction* CMainFrame::Action(unsigned id) const {
  auto it = m_actions.find(id);
  return it == m_actions.end() ? nullptr : it->second;
}

QToolBar* CMainFrame::ToolBar(unsigned id) const {
  auto it = m_toolBars.find(id);
  return it == m_toolBars.end() ? nullptr : it->second;
}

QAction* CMainFrame::ToolBarEntry(unsigned barId, unsigned id) const {
  auto it = m_barEntries.find(barId);
  if (it == m_barEntries.end()) return nullptr;
  for (const auto& [entryId, entry] : it->second)
    if (entryId == id) return entry;
  return nullptr;
}

void CMainFrame::OnCommand(unsigned id) {
  switch (OwnerOf(id)) {
    case CommandOwner::View:
      m_view->OnCommand(id);
      UpdateCommandStates();
      return;
    case CommandOwner::Orchestrator:
      if (IsDownloadCommand(id)) m_orchestrator->OnDownload(id);
      else m_orchestrator->StartRanking();
      UpdateCommandStates();
      return;
    case CommandOwner::TaskPane:  // the task pane acts on these itself
      return;
    case CommandOwner::Frame:
      break;
  }
  if (IsLookCommand(id)) {
    SetApplicationLook(static_cast<int>(id));
    return;
  }
  switch (id) {
    case ID_LISTING_SELECTOR:
      m_dayState.SetEntry(SelectedEntry());
      TellOfMissingDay(*this, MissingDayReply::Offer);
      break;
    case ID_DATE_PICKER: OnDatePicked(); break;
    case ID_CHECK_VERSION: OnCheckVersion(); break;
    case ID_SETTINGS:
      // An unattended start opens no dialog that would wait for a click.
      if (Unattended()) break;
      OnSettings();
      break;
    case ID_EDIT_KEYWORDS: OnEditKeywords(); break;
    case ID_KEYWORD_SEARCH: SearchKeywords(); break;
    case ID_RESET_PROGRAM: OnResetProgram(); break;
    case ID_EDIT_CSS: OnEditCss(); break;
    case ID_EXPORT_XMLTV: OnExport(ExportKind::Xmltv); break;
    case ID_EXPORT_ICALENDAR: OnExport(ExportKind::ICalendar); break;
    case ID_HOME_PAGE: OnHomePage(); break;
    case ID_CUSTOMIZE: OnCustomize(); break;
    case ID_APP_ABOUT: OnAbout(); break;
    case ID_APP_EXIT: close(); break;
    case ID_LAST_WEEK:
    case ID_THIS_WEEK:
    case ID_NEXT_WEEK:
      SetWeek(id);
      break;
    case ID_CAPTION_BAR: m_captionBar->setVisible(m_captionBar->isHidden()); break;
    case ID_TASK_PANE: m_taskDock->setVisible(m_taskDock->isHidden()); break;
    case ID_STATUS_BAR: statusBar()->setVisible(statusBar()->isHidden()); break;
    case ID_TIME_BAR:
    case ID_DATE_BAR:
    case ID_DOWNLOAD_BAR:
      ToolBar(id)->setVisible(ToolBar(id)->isHidden());
      break;
    case ID_HELP_FINDER:
    case ID_HELP:
    case ID_CONTEXT_HELP:
      statusBar()->showMessage(QStringLiteral("ヘルプは用意されていません。"), 5000);
      break;
    case ID_PRINT_SETUP:
      statusBar()->showMessage(QStringLiteral("プリンタは印刷プレビューの画面で設定できます。"), 5000);
      break;
    default:
      break;
  }
  UpdateCommandStates();
}

void CMainFrame::OnDatePicked() {
  const QDate date = m_datePicker->date();
  if (!date.isValid()) return;
  m_dayState.SetDate(view::FormatDate8(date.year(), date.month(), date.day()));
  TellOfMissingDay(*this, MissingDayReply::StatusOnly);
}

void CMainFrame::OnDayStateChanged(unsigned changes) {
  if ((changes & view::DayState::kWeek) != 0)
    for (const view::DayButton& button : m_dayState.Buttons())
      if (QAction* action = Action(button.id)) action->setIconText(FromUtf8(button.label));
  // "放送中" follows the selected listing.
  if ((changes & view::DayState::kEntry) != 0 && m_taskPane) {
    m_taskPane->ShowOnAir(m_dayState.Entry());
    m_taskPane->ShowAutoWatch();
  }
  UpdateCommandStates();
}

void CMainFrame::UpdateCommandStates() {
  if (m_actions.empty() || !m_orchestrator) return;
  const bool busy = m_orchestrator->IsBusy();
  for (auto& [id, action] : m_actions) {
    bool enabled = true;
    bool checked = false;
    if (IsDayCommand(id)) {
      const view::CommandState state = m_dayState.DayCommandState(id);
      enabled = state.enabled;
      checked = state.checked;
    } else if (IsDownloadCommand(id)) {
      checked = busy;
    } else if (IsLookCommand(id)) {
      checked = static_cast<int>(id) == m_nAppLook;
    } else if (id == ID_CAPTION_BAR) {
      checked = !m_captionBar->isHidden();
    } else if (id == ID_TASK_PANE) {
      checked = !m_taskDock->isHidden();
    } else if (id == ID_STATUS_BAR) {
      checked = !statusBar()->isHidden();
    } else if (id == ID_TIME_BAR || id == ID_DATE_BAR || id == ID_DOWNLOAD_BAR) {
      checked = !ToolBar(id)->isHidden();
    }
    if (action->isEnabled() != enabled) action->setEnabled(enabled);
    if (action->isCheckable() && action->isChecked() != checked) action->setChecked(checked);
  }
}

void CMainFrame::SetWeek(unsigned id) { m_dayState.SetWeek(id, app::GetListingTime()); }

void CMainFrame::OnInitialUpdate() {
  m_view->OnInitialUpdate();
  m_bInitialUpdateDone = true;
  UpdateCommandStates();
}

// ---- listing selector -----------------------------------------------------

void CMainFrame::FillListingSelector() {
  m_selector->clear();
  m_entries = listing::ListingEntriesFromSettings();
  for (const std::string& entry : m_entries) m_selector->addItem(FromUtf8(listing::EntryLabel(entry)));
}

int CMainFrame::SelectorIndex() const { return m_selector->currentIndex(); }

void CMainFrame::SelectIndex(int index) {
  m_selector->setCurrentIndex(index);
  m_dayState.SetEntry(SelectedEntry());
}

std::string CMainFrame::SelectedEntry() const {
  const int index = m_selector ? m_selector->currentIndex() : -1;
  if (index < 0 || static_cast<size_t>(index) >= m_entries.size()) return {};
  return m_entries[static_cast<size_t>(index)];
}

// ---- view host --------------------------------------------------------------

void CMainFrame::SetPickerDate(int year, int month, int day) {
  const QSignalBlocker blocker(m_datePicker);
  m_datePicker->setDate(QDate(year, month, day));
}

void CMainFrame::SizePaneToText(QLabel* pane) {
  const QString text = pane->text();
  if (text.isEmpty()) {
    pane->hide();
    return;
  }
  pane->setFixedWidth(pane->fontMetrics().horizontalAdvance(text) + 8);
  pane->show();
}

void CMainFrame::SetListingTimeText(const QString& text) {
  m_listingTime->setText(text);
  SizePaneToText(m_listingTime);
}

void CMainFrame::SetWindowCaption(const QString& text) {
  // Plain text from the page: a title never carries markup into the frame.
  setWindowTitle(text);
  // Screen readers announce the day and listing the caption names.
  setAccessibleName(text);
}

void CMainFrame::SendFrameCommand(unsigned id) { OnCommand(id); }

// ---- orchestrator host ------------------------------------------------------

void CMainFrame::SetStatusText(const QString& text) {
  m_statusText->setText(text);
  SizePaneToText(m_statusText);
  Q_EMIT statusTextChanged(m_statusText->text());
}

void CMainFrame::SetProgress(int position, int range) {
  if (range <= 0) {
    m_progress->hide();
    m_progress->reset();
    return;
  }
  if (m_progress->maximum() != range) m_progress->setRange(0, range);
  m_progress->setValue(std::min(position, range));
  m_progress->show();
}

void CMainFrame::OnPageWritten(const std::string& pageName) {
  m_dayState.RefreshAvailability();
  const std::string& selected = m_dayState.Entry();
  const std::string& date = m_dayState.Date();
  if (!selected.empty() && pageName == app::DateText(app::GetListingTime()) + selected)
    m_taskPane->ShowOnAir(selected);  // today's page of the listing is new
  if (!selected.empty() && pageName == date + selected) {
    m_view->ShowDay();
  } else if (!selected.empty() && date.empty() && pageName == app::DateText(app::GetListingTime()) + selected) {
    // Nothing could be shown before this run (a first start): today's page
    // of the selected listing is shown as soon as it exists.
    m_view->OnCommand(ID_CURRENT_LISTING);
  }
  UpdateCommandStates();
}

void CMainFrame::SearchKeywords() { m_taskPane->SearchKeywords(m_entries); }

void CMainFrame::ApplyWatchRules() {
  const taskpane::AutoWatchReport report = taskpane::RunAutoWatch({}, app::Now());
  QStringList lines;
  for (const std::string& line : taskpane::ReportLines(report)) lines << QString::fromStdString(line);
  if (!lines.isEmpty()) SetStatusText(lines.join(QStringLiteral(" / ")));
  // A run brings the pages "放送中" reads, maybe for the first time.
  m_taskPane->ShowOnAir(m_dayState.Entry());
  m_taskPane->ShowAutoWatch();
  // New marks show in the page (frames, caption summary, alerts) once it is
  // marked again.
  if (report.marked > 0 && !m_dayState.Entry().empty() && !m_dayState.Date().empty()) m_view->ShowDay();
}

void CMainFrame::ShowRanking(const std::string& file) { m_taskPane->ShowRanking(file); }

void CMainFrame::ShowPageKeywords(const std::map<int, std::string>& hits, const std::filesystem::path& page,
                                  const std::map<int, view::PageHitText>& texts) {
  m_taskPane->ShowPageKeywords(hits, page, texts);
}

void CMainFrame::ShowChainTasks() {
  m_taskPane->ShowChainTasks();
  // Whatever ended the chain, a later automatic check is not the user's.
  m_orchestrator->ClearUserVersionCheck();
}

void CMainFrame::HideRankingTask() { m_taskPane->HideRankingTask(); }

// ---- task pane host ---------------------------------------------------------

bool CMainFrame::ShowListingDay(size_t entryIndex, const std::string& date) {
  if (entryIndex >= m_entries.size() || static_cast<int>(entryIndex) >= m_selector->count()) return false;
  {
    // Showing the old day of the new listing first would use up the pending
    // scroll with that page's hits: the listing and the day change at once.
    const QSignalBlocker blocker(m_selector);
    m_selector->setCurrentIndex(static_cast<int>(entryIndex));
  }
  // Results run from today on: when the weeks shown do not hold the day, this
  // week's do, so its day button shows it as the day on screen.
  m_dayState.ShowDay(m_entries[entryIndex], date, app::GetListingTime());
  return m_view->DocumentPath() == view::DataPagePath(date, m_entries[entryIndex]);
}

void CMainFrame::ScrollToCell(int hitNumber) { m_view->ScrollToCell(hitNumber); }

void CMainFrame::ShowProgramme(const std::string& entry, const std::string& date, const std::string& watchId) {
  if (entry == m_dayState.Entry() && date == m_dayState.Date()) {
    m_view->ScrollToProgramme(watchId);
    return;
  }
  // Another page: it is shown; the scroll waits for the next click.
  const auto found = std::find(m_entries.begin(), m_entries.end(), entry);
  if (found != m_entries.end()) ShowListingDay(static_cast<size_t>(found - m_entries.begin()), date);
}

bool CMainFrame::IsMinimizedForAutoClose() const {
  return isMinimized() || (m_options.unattended && !m_bUserRestored);
}

void CMainFrame::CloseAfterUnattendedRun(int exitCode) {
  m_exitCode = exitCode;
  QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
}

void CMainFrame::SetCaptionDescription(const QString& text) { m_captionBar->SetImageDescription(text); }

void CMainFrame::SetCaptionText(const QString& text) { m_captionBar->SetText(text); }

void CMainFrame::Beep() { QApplication::beep(); }

QLabel* CMainFrame::StatusPane(int pane) const {
  return pane == 1 ? m_statusText : pane == 3 ? m_listingTime : nullptr;
}

// ---- looks ------------------------------------------------------------------

void CMainFrame::SetApplicationLook(int look) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  m_nAppLook = NormalizeLook(look);
  ApplyApplicationLook(m_nAppLook);
  WriteProfileInt("Workspace", "ApplicationLook", m_nAppLook);
  // The dark look comes with the dark stylesheet of the pages, and leaving it
  // brings the default stylesheet back.
  if (const auto css = StylesheetForLook(m_nAppLook, GetProfileString("TvProgram", "CssFile", kDefaultStylesheet))) {
    if (settings::ActivateStylesheet(*css)) {
      m_view->Reload();
    } else {
      SetStatusText(QStringLiteral("スタイルシート %1 が見つからないため、番組表の色は変わりません").arg(QString::fromStdString(*css)));
    }
  }
  update();
  QApplication::restoreOverrideCursor();
  UpdateCommandStates();
}

// ---- window state and closing -------------------------------------------------

bool CMainFrame::Unattended() const { return m_options.unattended && !m_bUserRestored; }

void CMainFrame::UserRestoredWindow() {
  if (m_bUserRestored) return;
  m_bUserRestored = true;
  m_orchestrator->UserRestoredWindow();
}

void CMainFrame::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange) {
    auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (m_bRecreated) {
      // Qt creates the window anew when the web view's surface first shows,
      // and the new one comes up normal: no user restored it.
      m_bRecreated = false;
      if (Unattended() && !(windowState() & Qt::WindowMinimized))
        QMetaObject::invokeMethod(this, [this] { if (Unattended() && !isMinimized()) showMinimized(); },
                                  Qt::QueuedConnection);
    } else if ((change->oldState() & Qt::WindowMinimized) && !(windowState() & Qt::WindowMinimized)) {
      UserRestoredWindow();
    }
  }
  QMainWindow::changeEvent(event);
}

bool CMainFrame::event(QEvent* event) {
  if (event->type() == QEvent::WinIdChange && windowHandle() != nullptr) m_bRecreated = true;
  return QMainWindow::event(event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (m_end != EndState::Closed && m_end != EndState::ClosedAfterReset) {
    if (!m_orchestrator->PrepareClose()) {
      // The worker is cancelled; the window closes once it has ended.
      if (m_end == EndState::Open) m_end = EndState::CloseWaiting;
      event->ignore();
      return;
    }
    // After a reset nothing of this session is written back.
    if (m_end == EndState::ResetDone) {
      m_end = EndState::ClosedAfterReset;
    } else {
      SaveSelectorIndex();
      SaveLayout();
      m_end = EndState::Closed;
    }
  }
  event->accept();
  QMainWindow::closeEvent(event);
}

void CMainFrame::OnReadyToClose() {
  switch (m_end) {
    case EndState::ResetWaitingWithPages: RunReset(true); break;
    case EndState::ResetWaitingKeepPages: RunReset(false); break;
    case EndState::CloseWaiting: close(); break;
    default: break;
  }
}

}  // namespace kanro::frame
