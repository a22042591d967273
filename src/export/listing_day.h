#pragma once
// One listing day of one listing entry as read back from our own header and
// data pages: the channels in column order and every programme that could be
// placed in the table. Text is UTF-8 (the pages' CP932 is converted once, by
// the reader); times are wall-clock times of the listing's own zone.
#include <string>
#include <string_view>
#include <vector>

namespace kanro::exports {

struct ListingChannel {
  std::string name;  // display name
  std::string link;  // the site's channel page, empty when the page has no link
  std::string number;  // the channel number as a viewer knows it, when a source gives one
  std::string icon;    // the address of the station's logo, when the page shows one
};

// A wall-clock moment: the date (YYYYMMDD) and minutes after its midnight.
struct LocalDateTime {
  int date = 0;
  int minute = 0;  // 0 to 1439
  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

struct ListingProgramme {
  size_t channel = 0;  // index into ListingDay::channels
  // Minutes after midnight of the listing date: 300 is 5:00, 1500 is 1:00
  // of the next calendar date.
  int startMinute = 0;
  int stopMinute = 0;
  std::string title;        // without markup
  std::string description;  // empty when the page has none
  int genre = -1;           // the NN of "genre_NN"; -1 when the cell has none
  bool isNew = false;       // carries the new-series mark
  std::string iepgUrl;      // empty when the page has no iEPG link
  std::string detailUrl;    // the site's page of the programme, when linked
  std::string watchId;      // the digits of "ID=" in the watch link; empty if none
};

struct ListingDay {
  int date = 0;  // the listing date, YYYYMMDD
  std::vector<ListingChannel> channels;
  std::vector<ListingProgramme> programmes;  // by channel, then start
  int skipped = 0;  // programme cells that could not be placed
};

// The wall-clock moment of a minute of a listing day.
LocalDateTime ListingMoment(int listingDate, int minuteOfDay);

// The genre's name in Japanese and in English, for the genre numbers of the
// listing pages; empty for unknown numbers.
std::string_view GenreNameJa(int genre);
std::string_view GenreNameEn(int genre);

}  // namespace kanro::exports
