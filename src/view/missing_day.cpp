#include "view/missing_day.h"

#include "export/civil_date.h"
#include "view/day_navigation.h"

namespace kanro::view {

MissingDayNotice DescribeMissingDay(const std::string& date8, const std::string& entryLabel,
                                    const std::string& today8, int downloadDays) {
  MissingDayNotice notice;
  int year = 0, month = 0, day = 0, ty = 0, tm = 0, td = 0;
  if (!ParseDate8(date8, &year, &month, &day) || !ParseDate8(today8, &ty, &tm, &td)) {
    notice.text = entryLabel + " の番組表はありません。";
    return notice;
  }
  notice.text = std::to_string(month) + "/" + std::to_string(day) + " の " + entryLabel + " の番組表はありません。";
  const int64_t ahead =
      exports::DaysFromCivil({year, month, day}) - exports::DaysFromCivil({ty, tm, td});
  if (ahead < 0) {
    notice.text += "過ぎた日の番組表はダウンロードできません。";
  } else if (ahead >= downloadDays) {
    notice.text += "ダウンロードできるのは今日から " + std::to_string(downloadDays) + " 日分です。";
  } else {
    notice.offerDownload = true;
  }
  return notice;
}

}  // namespace kanro::view
