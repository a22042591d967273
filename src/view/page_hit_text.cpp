#include "view/page_hit_text.h"

#include "text/codepage.h"
#include "view/cell_text.h"
#include "view/watch_list.h"

namespace kanro::view {

ChannelOfWatchId ChannelsByWatchId(const exports::ListingDay& day) {
  ChannelOfWatchId channels;
  for (const exports::ListingProgramme& programme : day.programmes)
    if (!programme.watchId.empty() && programme.channel < day.channels.size())
      channels.emplace(programme.watchId, text::Utf8ToCp932(day.channels[programme.channel].name));
  return channels;
}

std::map<int, PageHitText> DescribePageHits(const std::vector<CellMark>& marks, const std::vector<PageCell>& cells,
                                            const ChannelOfWatchId& channels) {
  std::map<int, PageHitText> texts;
  const ProgrammeCellReader reader;
  for (const CellMark& mark : marks) {
    if (mark.cell >= cells.size()) continue;
    const PageCell& cell = cells[mark.cell];
    const std::u32string whole = CellText(cell.markup);
    PageHitText hit;
    hit.whole = text::WideToCp932(whole);
    std::u32string label;
    if (const std::optional<CellProgramme> programme = reader.Read(cell.markup)) {
      label = programme->hour + U":" + programme->minute;
      std::string channel;
      ForEachWatchIdInMarkup(cell.markup, [&](std::string_view id) {
        const auto found = channels.find(std::string(id));
        if (found == channels.end()) return true;
        channel = found->second;
        return false;
      });
      if (!channel.empty()) label += U" " + text::Cp932ToWide(channel);
      label += U" " + programme->title;
    } else {
      label = whole.substr(0, whole.find(U'\n'));
    }
    hit.label = text::WideToCp932(label);
    texts.emplace(mark.number, std::move(hit));
  }
  return texts;
}

}  // namespace kanro::view
