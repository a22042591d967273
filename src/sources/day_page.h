#pragma once
// The intermediate page of a source's listing day: the listing-table lines
// of our own simple layout, in CP932, between the markers the source
// converter looks for. The page composer turns it into the header and data
// pages as it turns a site's page, so the skeleton, the user's rewrite rules,
// the watch links and the active-content filter apply unchanged.
//
//   <!--source_top-->
//   <tr><th class="hour">時</th><th class="channel">NHK</th>...<th class="hour">時</th></tr>
//   <!--/source_top-->                        (first line of the table body)
//   <tr><td class="epg_td_time" rowspan="60"><a name="5">5</a></td>
//       <td class="genre_00" rowspan="30" valign="top"><strong>5:00</strong>
//       <strong>title</strong> <a placeholder="ID=...&TIME=5:00&TITLE=title
//       end_of_placeholder"><img src="../Image/watch.gif" border="0"></a>
//       <div class="desc">...</div></td> ... </tr>    (one line a row)
//   <!--source_bottom-->
#include <string>

#include "sources/day_layout.h"
#include "sources/source_schedule.h"

namespace kanro::sources {

inline constexpr std::string_view kTopMarker = "<!--source_top-->";
inline constexpr std::string_view kHeadEndMarker = "<!--/source_top-->";
inline constexpr std::string_view kBottomMarker = "<!--source_bottom-->";

// The page text, lines ending in "\n".
std::string DayPageText(const SourceSchedule& schedule, const DayLayout& layout);

// Text escaped for HTML content and attribute values (& < > "), without
// control characters.
std::string EscapeHtml(std::string_view text);

}  // namespace kanro::sources
