#include "sources/day_page.h"

#include <cstdio>

#include "text/codepage.h"

namespace kanro::sources {
namespace {

// "5:00", "23:59", "0:30": the clock time of a row (hours 0 to 4 are after
// midnight), as the listing sites write start times.
std::string RowTime(int row) {
  const int minute = (kDayStartMinute + row) % 1440;
  char text[16];
  std::snprintf(text, sizeof text, "%d:%02d", minute / 60, minute % 60);
  return text;
}

std::string HourCell(int row) {
  const std::string hour = std::to_string((kDayStartMinute + row) / 60 % 24);
  return "<td class=\"epg_td_time\" rowspan=\"60\"><a name=\"" + hour + "\">" + hour + "</a></td>";
}

std::string ProgrammeBlock(const SourceProgramme& p, const std::string& time, bool showTime) {
  const std::string title = EscapeHtml(p.title);
  std::string block;
  if (showTime) block += "<strong>" + time + "</strong> ";
  block += "<strong>";
  if (p.isNew) block += "<img src=\"../Image/shinban.gif\" alt=\"新\">";
  block += title + "</strong>";
  block += " <a placeholder=\"ID=" + p.watchId + "&TIME=" + time + "&TITLE=" + title +
           "end_of_placeholder\"><img src=\"../Image/watch.gif\" border=\"0\"></a>";
  std::string description = p.subtitle;
  if (!p.description.empty()) description += (description.empty() ? "" : "　") + p.description;
  if (!description.empty()) block += "<div class=\"desc\">" + EscapeHtml(description) + "</div>";
  return block;
}

std::string CellText(const SourceSchedule& schedule, const DayCell& cell) {
  const std::string rows = std::to_string(cell.rows);
  if (cell.programmes.empty()) return "<td rowspan=\"" + rows + "\"></td>";
  const SourceProgramme& first = schedule.programmes[cell.programmes.front()];
  char genre[16] = "genre_XX";
  if (first.genre >= 0 && first.genre <= 15) std::snprintf(genre, sizeof genre, "genre_%02d", first.genre);
  const std::string time = RowTime(cell.row);
  std::string text = std::string("<td class=\"") + genre + "\" rowspan=\"" + rows + "\" valign=\"top\">";
  text += ProgrammeBlock(first, time, !cell.continued);
  // Programmes of the same start minute follow in the same cell.
  for (size_t k = 1; k < cell.programmes.size(); ++k)
    text += "<div class=\"also\">" + ProgrammeBlock(schedule.programmes[cell.programmes[k]], time, true) + "</div>";
  return text + "</td>";
}

}  // namespace

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\t': out += ' '; break;
      default:
        // Control characters never reach a page.
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out += c;
    }
  }
  return out;
}

std::string DayPageText(const SourceSchedule& schedule, const DayLayout& layout) {
  std::string page;
  page += kTopMarker;
  page += '\n';
  page += "<tr><th class=\"hour\">時</th>";
  for (const SourceChannel& channel : schedule.channels)
    page += "<th class=\"channel\">" + EscapeHtml(channel.name) + "</th>";
  page += "<th class=\"hour\">時</th></tr>\n";
  page += kHeadEndMarker;
  page += '\n';

  std::vector<size_t> next(layout.columns.size(), 0);
  for (int row = 0; row < kRowsPerDay; ++row) {
    std::string line = "<tr>";
    const bool hour = row % 60 == 0;
    if (hour) line += HourCell(row);
    for (size_t c = 0; c < layout.columns.size(); ++c) {
      const std::vector<DayCell>& cells = layout.columns[c].cells;
      if (next[c] < cells.size() && cells[next[c]].row == row) line += CellText(schedule, cells[next[c]++]);
    }
    if (hour) line += HourCell(row);
    page += line + "</tr>\n";
  }
  page += kBottomMarker;
  page += '\n';
  return text::Utf8ToCp932(page);
}

}  // namespace kanro::sources
