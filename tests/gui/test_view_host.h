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
#include "view/ui/kanro_view.h"
#include "view/view_host.h"

namespace kanro::test {

// The window as the view sees it: a listing selector, the week's day
// buttons (this week holds the current listing date), the date picker and the
// texts it was handed.
class TestViewHost : public kanro::view::ViewHost {
 public:
  std::string entry = "08GooTv";
  std::map<unsigned, std::string> dates;
  int weekShift = 0;
  QDate picker;
  std::string listingTime;
  std::string caption;
  std::vector<unsigned> commands;
  int availabilityChanges = 0;
  std::vector<std::string> keywords;
  std::map<int, std::string> pageHits;
  std::filesystem::path hitsPage;
  int pageHitCalls = 0;
  std::string captionText;
  std::string statusText;
  kanro::view::CKanroView* view = nullptr;

  std::string GetSelectedEntry() const override { return entry; }
  const std::map<unsigned, std::string>& DateMap() const override { return dates; }
  void SetPickerDate(int year, int month, int day) override { picker = QDate(year, month, day); }
  bool GetPickerDate(int* year, int* month, int* day) const override {
    if (!picker.isValid()) return false;
    *year = picker.year();
    *month = picker.month();
    *day = picker.day();
    return true;
  }
  void SetListingTimeText(const std::string& text) override { listingTime = text; }
  void SetWindowCaption(const std::string& text) override { caption = text; }
  void SendFrameCommand(unsigned id) override {
    commands.push_back(id);
    if (id >= 60121 && id <= 60123) SetWeek(static_cast<int>(id) - 60122);
  }
  void DayAvailabilityChanged() override { ++availabilityChanges; }
  const std::vector<std::string>& Keywords() const override { return keywords; }
  void ShowPageKeywords(const std::map<int, std::string>& hits, const std::filesystem::path& page) override {
    pageHits = hits;
    hitsPage = page;
    ++pageHitCalls;
  }
  void SetCaptionText(const std::string& text) override { captionText = text; }
  void SetStatusText(const std::string& text) override { statusText = text; }

  void SetWeek(int shift) {
    weekShift = shift;
    const QDate listing = QDateTime::fromSecsSinceEpoch(kanro::app::GetListingTime()).date();
    const QDate sunday = listing.addDays(-(listing.dayOfWeek() % 7) + 7 * shift);
    dates.clear();
    for (int i = 0; i < 21; ++i)
      dates[60000 + static_cast<unsigned>(i)] = sunday.addDays(i - 7).toString(QStringLiteral("yyyyMMdd")).toStdString();
    if (view) view->HandleMessage(1127, 0, 0);
  }
  unsigned DayCommandOf(const std::string& date) const {
    for (const auto& [id, d] : dates)
      if (d == date) return id;
    return 0;
  }
};

}  // namespace kanro::test
