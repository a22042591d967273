#include "frame/ui/missing_day_offer.h"

#include <QMessageBox>

#include "app/command_ids.h"
#include "app/listing_time.h"
#include "frame/ui/download_orchestrator.h"
#include "frame/ui/main_frame.h"
#include "listing/listing_entries.h"
#include "settings/ui/question_box.h"
#include "view/day_navigation.h"
#include "view/missing_day.h"
#include "view/page_locations.h"

namespace kanro::frame {

bool TellOfMissingDay(CMainFrame& frame, MissingDayReply reply) {
  const std::string entry = frame.Days().Entry();
  const std::string today = app::DateText(app::GetListingTime());
  // Nothing shown yet (no page at all): the listing's day is today's.
  const std::string date = frame.Days().Date().empty() ? today : frame.Days().Date();
  if (entry.empty()) return false;
  // A data page is never shown without its header page.
  if (view::IsShowablePage(view::HeaderPagePath(entry)) && view::IsShowablePage(view::DataPagePath(date, entry)))
    return false;
  const view::MissingDayNotice notice = view::DescribeMissingDay(
      date, listing::EntryLabel(entry), today, CDownloadOrchestrator::DownloadDays());
  const QString text = QString::fromStdString(notice.text);
  frame.SetStatusText(text);
  // No box that waits for a click in an unattended start; while work runs a
  // download command would cancel it.
  if (reply == MissingDayReply::StatusOnly || frame.Unattended() || frame.Orchestrator()->IsBusy()) return true;
  if (!notice.offerDownload) {
    settings::ShowNotice(&frame, text);
    return true;
  }
  if (settings::AskYesNo(&frame, text + QStringLiteral("\n\nダウンロードしますか？")) == QMessageBox::Yes)
    frame.OnCommand(app::command::ID_DOWNLOAD);
  return true;
}

}  // namespace kanro::frame
