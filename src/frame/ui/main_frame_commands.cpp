// The program-level commands of the main window: version check and result,
// settings and keywords, reset, stylesheet, home page, customize, about.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "app/keyword_list.h"
#include "export/icalendar_export.h"
#include "export/xmltv_export.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "app/version.h"
#include "frame/ui/about_box.h"
#include "frame/ui/caption_bar.h"
#include "frame/ui/customize_dialog.h"
#include "frame/ui/download_orchestrator.h"
#include "frame/reset_files.h"
#include "frame/version_verdict.h"
#include "frame/ui/main_frame.h"
#include "settings/ui/setting_property_sheet.h"
#include "settings/ui/question_box.h"
#include "taskpane/ui/task_pane.h"
#include "view/ui/desktop_opener.h"
#include "view/ui/kanro_view.h"

#include <QComboBox>

namespace kanro::frame {

int CMainFrame::ShowMessage(const QString& text, int buttons, int icon) {
  return settings::AskQuestion(this, static_cast<QMessageBox::Icon>(icon), text, QMessageBox::StandardButtons(buttons));
}

void CMainFrame::OnCheckVersion() {
  if (m_orchestrator->IsBusy()) {
    ShowMessage(QStringLiteral("ダウンロード処理中は確認できません。\n完了後に再度実行してください。"), QMessageBox::Ok,
                QMessageBox::NoIcon);
    return;
  }
  m_orchestrator->StartVersionCheck(true);
}

void CMainFrame::ShowVersionResult(const std::string& file) {
  const VersionVerdict verdict = JudgeVersionFile(app::GetVersionString(), file);
  const bool user = m_orchestrator->UserVersionCheck();
  m_orchestrator->ClearUserVersionCheck();
  if (verdict.kind == VersionVerdict::Kind::Newer) {
    const QString message = QString::fromStdString(verdict.message);
    m_captionBar->EnableNewVersionButton(message);
    Q_EMIT versionResultShown();
    if (user) ShowMessage(message, QMessageBox::Ok, QMessageBox::NoIcon);
    return;
  }
  Q_EMIT versionResultShown();
  if (verdict.kind == VersionVerdict::Kind::UpToDate && user)
    ShowMessage(QStringLiteral("お使いのバージョンが最新です。"), QMessageBox::Ok, QMessageBox::NoIcon);
}

void CMainFrame::OnSettings() {
  const std::string remembered = GetSelectedEntry();
  settings::CSettingPropertySheet dialog(this);
  connect(&dialog, &settings::CSettingPropertySheet::stylesheetApplied, this, [this] { m_view->Reload(); });
  if (dialog.exec() == QDialog::Accepted) {
    FillListingSelector();
    int index = 0;
    for (size_t i = 0; i < m_entries.size(); ++i)
      if (m_entries[i] == remembered) index = static_cast<int>(i);
    // Selecting shows the listing's day (the list may have changed under it).
    SelectIndex(m_entries.empty() ? -1 : index);
    app::LoadKeywords(m_keywords);
    SearchKeywords();
    // "MaxRank" may have been turned on. While a request runs the task stays
    // hidden; the chain's end shows it.
    if (!m_orchestrator->IsBusy()) m_taskPane->ShowTask(app::command::ID_RANKING, true);
  }
  // Stylesheet and display settings take effect either way.
  m_view->Reload();
}

void CMainFrame::OnEditKeywords() {
  settings::CKeywordSheet dialog(this);
  if (dialog.exec() != QDialog::Accepted) return;
  app::LoadKeywords(m_keywords);
  SearchKeywords();
  m_view->Reload();
}

void CMainFrame::OnResetProgram() {
  const int answer = ShowMessage(QStringLiteral("プログラムの情報をレジストリから削除し、プログラムを終了します。\n"
                                                "ダウンロードした番組表ファイルも削除しますか？"),
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::NoIcon);
  if (answer != QMessageBox::Yes && answer != QMessageBox::No) return;
  m_end = answer == QMessageBox::Yes ? EndState::ResetWaitingWithPages : EndState::ResetWaitingKeepPages;
  // A running worker is cancelled and ended first, so nothing it does lands
  // after the reset; readyToClose continues here.
  if (m_orchestrator->PrepareClose()) RunReset(m_end == EndState::ResetWaitingWithPages);
}

void CMainFrame::RunReset(bool withPages) {
  m_end = EndState::ResetDone;
  RemoveFiles(ResetFileList(app::DataDir(), withPages));
  app::DeleteAllProfileValues();
  SelectIndex(-1);
  close();
}

void CMainFrame::OnEditCss() {
  const QString path = QString::fromStdString(app::StylesheetPath().string());
  const QUrl url = QUrl::fromLocalFile(path);
  view::OpenWithDesktop(url, this, [this, url] {
    ShowMessage(view::CannotOpenText(url), QMessageBox::Ok, QMessageBox::Information);
  });
}

void CMainFrame::OnExport(ExportKind kind) {
  const bool xmltv = kind == ExportKind::Xmltv;
  const QString caption = xmltv ? QStringLiteral("XMLTV 形式で書き出す") : QStringLiteral("視聴予定を iCalendar で書き出す");
  const QString path = QFileDialog::getSaveFileName(
      this, caption, QDir::home().filePath(xmltv ? QStringLiteral("kanro.xml") : QStringLiteral("kanro.ics")),
      xmltv ? QStringLiteral("XMLTV (*.xml)") : QStringLiteral("iCalendar (*.ics)"));
  if (path.isEmpty()) return;
  exports::ExportReport report;
  bool written = false;
  {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::filesystem::path file(path.toStdU16String());
    written = xmltv ? exports::ExportXmltvToFile(exports::DefaultXmltvExportOptions(), file, &report)
                    : exports::ExportICalendarToFile(exports::DefaultICalendarExportOptions(), file, &report);
    QApplication::restoreOverrideCursor();
  }
  QString text;
  if (!written || report.writeFailed) {
    text = path + QStringLiteral(" に書き出せませんでした。");
  } else {
    text = path + QStringLiteral(" に書き出しました。");
    if (report.pagesFailed > 0) text += QStringLiteral("\n読み取れなかった番組表: %1 件").arg(report.pagesFailed);
    if (report.programmesSkipped > 0)
      text += QStringLiteral("\n位置を読み取れなかった番組: %1 件").arg(report.programmesSkipped);
    if (report.marksNotFound > 0)
      text += QStringLiteral("\n番組表に見つからなかった視聴予定: %1 件").arg(report.marksNotFound);
  }
  ShowMessage(text, QMessageBox::Ok, written ? QMessageBox::Information : QMessageBox::Warning);
}

void CMainFrame::OnHomePage() {
  const QUrl url(HomePageAddress());
  view::OpenWithDesktop(url, this, [this, url] {
    ShowMessage(view::CannotOpenText(url), QMessageBox::Ok, QMessageBox::Information);
  });
}

void CMainFrame::OnCustomize() {
  SaveSelectorIndex();
  std::vector<CustomizableBar> bars;
  for (const ToolBarInfo& info : ToolBars()) bars.push_back({ToolBar(info.id), info.id, m_barEntries[info.id]});
  CCustomizeDialog dialog(std::move(bars), [this](unsigned barId) { ResetToolBar(barId); }, this);
  dialog.exec();
  for (const ToolBarInfo& info : ToolBars()) SaveToolBarButtons(info.id);
}

void CMainFrame::OnAbout() {
  CAboutBox box(this);
  box.exec();
}

}  // namespace kanro::frame
