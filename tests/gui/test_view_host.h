#pragma once
// The main window as the listing view sees it, for tests and benchmarks that
// build the view alone.
#include <QDate>
#include <QDateTime>
#include <QString>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/listing_time.h"
#include "text/codepage.h"
#include "view/ui/kanro_view.h"
#include "view/day_state.h"
#include "view/view_host.h"

namespace kanro::test {

// The window as the view sees it: the day state it owns (the listing
// selector's entry, the week of the day buttons, the day on screen), the
// date picker and the texts it was handed.
class TestViewHost : public kanro::view::ViewHost {
 public:
  TestViewHost() { days.SetEntry("08GooTv"); }

  kanro::view::DayState days;
  QDate picker;
  std::string listingTime;
  std::string caption;
  std::vector<unsigned> commands;
  std::vector<std::string> keywords;
  std::map<int, std::string> pageHits;
  std::map<int, kanro::view::PageHitText> pageHitTexts;
  std::filesystem::path hitsPage;
  int pageHitCalls = 0;
  std::string captionText;
  std::string statusText;

  void SetPickerDate(int year, int month, int day) override { picker = QDate(year, month, day); }
  void SetListingTimeText(const QString& text) override { listingTime = text.toStdString(); }
  void SetWindowCaption(const QString& text) override { caption = kanro::text::Utf8ToCp932(text.toStdString()); }
  void SendFrameCommand(unsigned id) override { commands.push_back(id); }
  const std::vector<std::string>& Keywords() const override { return keywords; }
  void ShowPageKeywords(const std::map<int, std::string>& hits, const std::filesystem::path& page,
                        const std::map<int, kanro::view::PageHitText>& texts) override {
    pageHits = hits;
    pageHitTexts = texts;
    hitsPage = page;
    ++pageHitCalls;
  }
  void SetCaptionText(const QString& text) override { captionText = kanro::text::Utf8ToCp932(text.toStdString()); }
  void SetStatusText(const QString& text) override { statusText = kanro::text::Utf8ToCp932(text.toStdString()); }

  // Last (-1), this (0) or next (1) week on the day buttons.
  void SetWeek(int shift) { days.SetWeek(60122 + static_cast<unsigned>(shift), kanro::app::GetListingTime()); }
  unsigned DayCommandOf(const std::string& date) const { return days.ButtonOf(date); }
  // The date picker's choice, as the window hands it on.
  void PickDate(QDate date) {
    picker = date;
    days.SetDate(date.toString(QStringLiteral("yyyyMMdd")).toStdString());
  }
};

}  // namespace kanro::test
