#include "sources/source_producer.h"

#include <cstdio>

#include "app/clock.h"
#include "app/messages.h"
#include "export/civil_date.h"
#include "listing/listing_types.h"
#include "net/raw_download.h"
#include "sources/day_layout.h"
#include "sources/day_page.h"
#include "sources/seen_programmes.h"
#include "sources/source_html_creater.h"
#include "text/codepage.h"
#include "text/text_file.h"

namespace kanro::sources {
namespace {

std::string Cp932(std::string_view utf8) { return text::Utf8ToCp932(utf8); }

std::string EntryOf(int prefecture, const std::string& key) {
  char number[16];
  std::snprintf(number, sizeof number, "%02d", prefecture);
  return number + key;
}

}  // namespace

CSourceHtmlProducer::CSourceHtmlProducer(std::string_view key) : m_key(key) {
  const int index = listing::FindListingType(key);
  if (index >= 0) m_name = Cp932(listing::kListingTypes[static_cast<size_t>(index)].name);
  m_pCreater = std::make_unique<CSourceHtmlCreater>();
}

bool CSourceHtmlProducer::Load() {
  const std::string from = GetUrl();
  if (m_schedule && m_loadedFrom == from) return true;
  m_schedule.reset();
  // The bar's range for the transfers to come, as for a listing page.
  Send(app::UM_PROGRESS, 0, GetExpectedSize());
  SourceSchedule schedule;
  std::string reason;
  if (!LoadSchedule(&schedule, &reason)) {
    if (!reason.empty()) Fail(Cp932(reason));
    return false;
  }
  m_schedule = std::move(schedule);
  m_loadedFrom = from;
  if (m_schedule->rejected > 0)
    SendText(app::UM_STATUSTEXT, 0,
             StatusText() + Cp932("：読めない番組 " + std::to_string(m_schedule->rejected) + " 件を除きました"));
  // Days before yesterday are not re-downloaded any more.
  const app::LocalDate today = app::ToLocalDate(m_time);
  RemoveSeenBefore(EntryOf(m_location.m_nNumber, m_key),
                   exports::AddDays(today.year * 10000 + today.month * 100 + today.day, -1));
  return true;
}

bool CSourceHtmlProducer::Produce() {
  ClearFailure();
  if (ShouldSkip(DataPagePath())) return true;
  const std::string status = StatusText();
  SendText(app::UM_STATUSTEXT, 0, status + Cp932("を取得中"));
  if (!Load()) return false;
  if (m_schedule->channels.empty()) return Fail(Cp932("チャンネルがありません"));
  if (m_schedule->programmes.empty()) {
    const int rejected = m_schedule->rejected;
    return Fail(Cp932("番組が一つもありません") +
                (rejected > 0 ? Cp932("（読めない番組 " + std::to_string(rejected) + " 件を除きました）") : ""));
  }

  const app::LocalDate local = app::ToLocalDate(m_time);
  const int date = local.year * 10000 + local.month * 100 + local.day;
  SourceSchedule day = ProgrammesOfDay(*m_schedule, date);
  const std::filesystem::path seenPath = SeenProgrammesPath(PageName());
  KeepEndedProgrammes(day, LoadSeenProgrammes(seenPath), app::Now());
  if (day.programmes.empty()) {
    // Beyond what the source holds: the day's old page, if any, stays.
    SendText(app::UM_STATUSTEXT, 0, status + Cp932("：この日の番組はまだありません"));
    return true;
  }

  net::RawDownload page;
  if (!page.valid()) return Fail(Cp932("一時ファイルを作成できません"));
  {
    text::TextFileWriter writer;
    if (!writer.Open(page.path()) || !writer.WriteBytes(DayPageText(day, LayOutDay(day, date))) || !writer.Close())
      return Fail(Cp932("一時ファイルに書き込めません（空き容量を確認してください）"));
  }
  if (!ConvertPage(page.path())) return false;
  // Losing this file only loses what a later download could not see.
  SaveSeenProgrammes(seenPath, day);
  SendText(app::UM_TASKRESULT, app::TASK_PAGE_WRITTEN, PageName());
  return true;
}

}  // namespace kanro::sources
