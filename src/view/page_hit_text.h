#pragma once
// How the task pane lists the keyword hits of the page on screen: each as
// its programme's start time, channel and title, so that many hits of the
// same word ("ニュース") stay apart; the cell's whole text, line by line,
// goes to the tool tip.
#include <map>
#include <string>
#include <vector>

#include "export/listing_day.h"
#include "view/keyword_highlight.h"
#include "view/page_cells.h"

namespace kanro::view {

struct PageHitText {
  std::string label;  // CP932: "19:00 NHK総合 ニュース"
  std::string whole;  // CP932: the cell's text, lines joined by "\n"
};

// Watch ID ("0012") -> the name of the channel the programme is on (CP932).
using ChannelOfWatchId = std::map<std::string, std::string>;
ChannelOfWatchId ChannelsByWatchId(const exports::ListingDay& day);

// By cell number, for every mark. A cell without a start time and title
// shows its first line; one whose channel is unknown leaves it out.
std::map<int, PageHitText> DescribePageHits(const std::vector<CellMark>& marks, const std::vector<PageCell>& cells,
                                            const ChannelOfWatchId& channels);

}  // namespace kanro::view
