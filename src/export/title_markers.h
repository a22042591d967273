#pragma once
// The markers listing sites put into a programme's title: "[字]" (captions
// the viewer can switch on), "[再]" (a repeat), "[新]" (a new series), "[終]"
// (the last episode), written with ASCII, full-width or lenticular brackets,
// and an episode number ("（第8回）", "第8話", "#8"). The title itself is kept
// as the page shows it; the markers become the exports' own elements.
#include <string>
#include <string_view>
#include <vector>

namespace kanro::exports {

struct TitleMarkers {
  bool captions = false;  // [字]
  bool repeat = false;    // [再]
  bool newSeries = false; // [新]
  bool lastEpisode = false;  // [終]
  std::string episode;    // the episode as written: "第8回", "第８話", "#8"; empty when none
};

TitleMarkers ReadTitleMarkers(std::string_view utf8Title);

// The markers as Japanese category names ("字幕", "再放送", "新番組", "最終回"),
// in that order, for calendars.
std::vector<std::string> MarkerCategories(const TitleMarkers& markers);

}  // namespace kanro::exports
