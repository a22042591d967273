#include "export/listing_page_reader.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>

#include "export/html_scan.h"
#include "text/text_file.h"

namespace kanro::exports {
namespace {

using Kind = HtmlToken::Kind;

constexpr size_t kToGroupEnd = std::numeric_limits<size_t>::max();
constexpr int kMaxSpan = 65534;   // what browsers accept for rowspan
constexpr int kMaxColSpan = 1000;
constexpr size_t kMaxColumns = 4096;          // cells further right are out of place anyway
constexpr size_t kMaxGridCells = 64u << 20;   // rows x columns the layout checks may hold

struct Cell {
  size_t row = 0;  // within its row group
  size_t col = 0;
  size_t rowspan = 1;  // kToGroupEnd for rowspan="0"
  size_t colspan = 1;
  std::string_view classes;
  size_t contentBegin = 0;
  size_t contentEnd = 0;
  bool closed = false;  // false when the page ended inside the cell
};

struct RowGroup {
  std::vector<Cell> cells;
  size_t rows = 0;
};

struct Table {
  bool found = false;
  bool complete = false;  // its closing tag was seen
  std::vector<RowGroup> groups;
  // Programme cells after the table's end: a rule closed the table early.
  int strayProgrammeCells = 0;
};

// The leading decimal digits of a span attribute; 1 when there are none.
size_t SpanValue(std::string_view text, int maximum, bool zeroMeansRest) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  int64_t value = 0;
  bool digits = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    digits = true;
    value = std::min<int64_t>(value * 10 + (text[i] - '0'), maximum);
  }
  if (!digits) return 1;
  if (value == 0) return zeroMeansRest ? kToGroupEnd : 1;
  return static_cast<size_t>(value);
}

// Programme cells left outside the table (tables after it keep their own cells).
void CountStrayCells(HtmlScanner& scanner, HtmlToken& token, Table& table) {
  int depth = 0;
  while (scanner.Next(token)) {
    if (token.Is(Kind::StartTag, "table")) ++depth;
    if (token.Is(Kind::EndTag, "table") && depth > 0) --depth;
    if (depth == 0 && (token.Is(Kind::StartTag, "td") || token.Is(Kind::StartTag, "th")) &&
        token.Attribute("class").find("genre_") != std::string_view::npos)
      ++table.strayProgrammeCells;
  }
}

// The first table of the page with its cells placed on the grid.
Table ParseTable(std::string_view page, bool headOnly) {
  Table table;
  HtmlScanner scanner(page);
  HtmlToken token;
  bool inside = false;
  int nested = 0;
  bool rowOpen = false;
  bool newGroup = true;
  Cell* open = nullptr;  // into the last group's cells; reset before they grow
  // Per column: the row (exclusive) up to which a span above occupies it.
  std::vector<size_t> occupied;
  size_t cursor = 0;

  auto group = [&]() -> RowGroup& {
    if (newGroup) {
      table.groups.emplace_back();
      occupied.clear();
      newGroup = false;
    }
    return table.groups.back();
  };
  auto closeCell = [&](size_t end) {
    if (open) {
      open->contentEnd = end;
      open->closed = true;
      open = nullptr;
    }
  };
  auto openRow = [&]() {
    RowGroup& g = group();
    ++g.rows;
    rowOpen = true;
    cursor = 0;
  };
  auto closeRow = [&](size_t end) {
    closeCell(end);
    rowOpen = false;
  };

  while (scanner.Next(token)) {
    const size_t tokenStart = scanner.offset() - token.raw.size();
    if (!inside) {
      if (token.Is(Kind::StartTag, "table")) {
        inside = true;
        table.found = true;
      }
      continue;
    }
    if (nested > 0) {
      if (token.Is(Kind::StartTag, "table")) ++nested;
      if (token.Is(Kind::EndTag, "table")) --nested;
      continue;
    }
    if (token.kind != Kind::StartTag && token.kind != Kind::EndTag) continue;
    const std::string& name = token.name;
    const bool start = token.kind == Kind::StartTag;
    if (name == "table") {
      if (start) {
        ++nested;  // a table inside a cell is the cell's content
        continue;
      }
      closeRow(tokenStart);
      table.complete = true;
      if (!headOnly) CountStrayCells(scanner, token, table);
      break;
    }
    if (name == "thead" || name == "tbody" || name == "tfoot") {
      closeRow(tokenStart);
      newGroup = true;
      if (headOnly && start && name != "thead" && !table.groups.empty()) break;
      continue;
    }
    if (name == "tr") {
      closeRow(tokenStart);
      if (start) openRow();
      continue;
    }
    if (name == "td" || name == "th") {
      closeCell(tokenStart);
      if (!start) continue;
      if (!rowOpen) openRow();
      RowGroup& g = table.groups.back();
      open = nullptr;
      Cell cell;
      cell.row = g.rows - 1;
      cell.rowspan = SpanValue(token.Attribute("rowspan"), kMaxSpan, true);
      cell.colspan = SpanValue(token.Attribute("colspan"), kMaxColSpan, false);
      cell.classes = token.Attribute("class");
      cell.contentBegin = scanner.offset();
      cell.contentEnd = page.size();
      size_t col = cursor;
      while (col < occupied.size() && occupied[col] > cell.row) ++col;
      if (col >= kMaxColumns) {  // a hostile row: keep the cell, stop tracking its place
        cell.col = kMaxColumns;
        cell.colspan = 1;
        g.cells.push_back(cell);
        open = &g.cells.back();
        continue;
      }
      cell.colspan = std::min(cell.colspan, kMaxColumns - col);
      cell.col = col;
      if (occupied.size() < col + cell.colspan) occupied.resize(col + cell.colspan, 0);
      const size_t until = cell.rowspan == kToGroupEnd ? kToGroupEnd : cell.row + cell.rowspan;
      for (size_t c = col; c < col + cell.colspan; ++c) occupied[c] = until;
      cursor = col + cell.colspan;
      g.cells.push_back(cell);
      open = &g.cells.back();
      continue;
    }
  }
  // A cell still open here was cut off by the end of the page.
  return table;
}

// What a cell holds, as plain text and links.
struct CellContent {
  std::vector<std::string> strongs;
  std::string description;
  std::string text;  // all visible text
  bool isNew = false;
  std::string iepgUrl;
  std::string detailUrl;
  std::string watchId;
  std::string link;  // the first link of any kind
  std::string image;  // the first image with a web address
};

struct OpenElement {
  std::string name;
  bool hidden = false;
  bool description = false;
  int strong = -1;  // index into strongs while inside a strong element
};

std::string WatchIdOf(std::string_view href) {
  const size_t query = href.find('?');
  if (query == std::string_view::npos) return {};
  size_t id = href.find("ID=", query);
  if (id == std::string_view::npos) return {};
  id += 3;
  size_t end = id;
  while (end < href.size() && href[end] >= '0' && href[end] <= '9') ++end;
  return std::string(href.substr(id, end - id));
}

bool IsWebAddress(std::string_view href) {
  return href.substr(0, 7) == "http://" || href.substr(0, 8) == "https://";
}

CellContent ReadCell(std::string_view content) {
  CellContent cell;
  std::vector<OpenElement> stack;
  HtmlScanner scanner(content);
  HtmlToken token;
  std::string piece;
  while (scanner.Next(token)) {
    const OpenElement* top = stack.empty() ? nullptr : &stack.back();
    const bool hidden = top && top->hidden;
    if (token.kind == Kind::Text) {
      if (hidden) continue;
      piece.clear();
      AppendHtmlText(token.raw, piece);
      cell.text += piece;
      if (top && top->strong >= 0) cell.strongs[static_cast<size_t>(top->strong)] += piece;
      if (top && top->description) cell.description += piece;
      continue;
    }
    if (token.kind == Kind::StartTag) {
      if (token.name == "img") {
        const std::string_view src = token.Attribute("src");
        if (!hidden && src.size() >= 11 && src.substr(src.size() - 11) == "shinban.gif") cell.isNew = true;
        if (!hidden && cell.image.empty() && IsWebAddress(AttributeText(src))) cell.image = AttributeText(src);
        continue;
      }
      if (token.name == "br") {
        if (!hidden) cell.text += ' ';
        // A line break of the description stays one for the exports.
        if (!hidden && top && top->description) cell.description += '\n';
        continue;
      }
      if (token.name == "a") {
        const std::string href = AttributeText(token.Attribute("href"));
        if (!href.empty()) {
          if (cell.link.empty()) cell.link = href;
          if (href.rfind("prp://watch", 0) == 0) {
            if (cell.watchId.empty()) cell.watchId = WatchIdOf(href);
          } else if (HasClass(token.Attribute("class"), "iepg")) {
            if (cell.iepgUrl.empty() && IsWebAddress(href)) cell.iepgUrl = href;
          } else if (cell.detailUrl.empty() && IsWebAddress(href)) {
            cell.detailUrl = href;
          }
        }
      }
      if (IsVoidElement(token.name) || token.selfClosing) continue;
      OpenElement element;
      element.name = token.name;
      element.hidden = hidden || StyleHides(token.Attribute("style"));
      element.description = (top && top->description) || HasClass(token.Attribute("class"), "desc");
      element.strong = top ? top->strong : -1;
      if ((token.name == "strong" || token.name == "b") && element.strong < 0) {
        cell.strongs.emplace_back();
        element.strong = static_cast<int>(cell.strongs.size() - 1);
      }
      stack.push_back(std::move(element));
      continue;
    }
    if (token.kind == Kind::EndTag) {
      for (size_t i = stack.size(); i-- > 0;)
        if (stack[i].name == token.name) {
          stack.resize(i);
          break;
        }
    }
  }
  for (std::string& strong : cell.strongs) strong = TrimmedText(strong);
  cell.description = TrimmedLines(cell.description);
  cell.text = TrimmedText(cell.text);
  return cell;
}

// "H:MM" as minutes of the listing day (hours 0 to 4 belong to the next
// calendar date); nothing when the text is no such time.
std::optional<int> ListingMinuteOfTime(std::string_view text) {
  size_t i = 0;
  int hour = 0;
  int digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 2) {
    hour = hour * 10 + (text[i++] - '0');
    ++digits;
  }
  if (digits == 0 || i + 3 > text.size() || text[i] != ':') return std::nullopt;
  const char m1 = text[i + 1];
  const char m2 = text[i + 2];
  if (m1 < '0' || m1 > '5' || m2 < '0' || m2 > '9') return std::nullopt;
  if (i + 3 < text.size() && text[i + 3] >= '0' && text[i + 3] <= '9') return std::nullopt;
  const int minute = (m1 - '0') * 10 + (m2 - '0');
  if (hour > 29) return std::nullopt;
  return (hour < 5 ? hour + 24 : hour) * 60 + minute;
}

// The hour number of an hour cell's text, 0 to 23, or -1.
int HourOf(std::string_view text) {
  if (text.empty() || text.size() > 2) return -1;
  int hour = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    hour = hour * 10 + (c - '0');
  }
  return hour <= 23 ? hour : -1;
}

struct HourCell {
  size_t row = 0;
  size_t col = 0;
  size_t span = 1;
  int startMinute = 0;  // minute of the listing day
  bool confirmed = false;
};

bool IsHourCell(const Cell& cell) { return HasClass(cell.classes, "epg_td_time"); }
bool IsHeadCell(const Cell& cell) { return HasClass(cell.classes, "channel") || HasClass(cell.classes, "hour"); }

struct ChannelRow {
  bool found = false;
  std::vector<size_t> columns;
  std::vector<ListingChannel> channels;
};

ChannelRow FindChannelRow(std::string_view page, const Table& table) {
  ChannelRow result;
  for (const RowGroup& group : table.groups) {
    for (size_t i = 0; i < group.cells.size(); ++i) {
      if (!HasClass(group.cells[i].classes, "channel")) continue;
      const size_t row = group.cells[i].row;
      for (const Cell& cell : group.cells) {
        if (cell.row != row || !HasClass(cell.classes, "channel")) continue;
        const CellContent content = ReadCell(page.substr(cell.contentBegin, cell.contentEnd - cell.contentBegin));
        ListingChannel channel;
        channel.name = content.text;
        channel.link = IsWebAddress(content.link) ? content.link : std::string();
        channel.icon = content.image;
        result.columns.push_back(cell.col);
        result.channels.push_back(std::move(channel));
      }
      result.found = true;
      return result;
    }
  }
  return result;
}

// Places the programmes of one row group.
void ReadGroup(std::string_view page, const Table& table, const RowGroup& group, const ChannelRow& head,
               ListingDay& day) {
  const size_t rows = group.rows;
  if (rows == 0) return;
  // The channel columns and one more for a right-hand hour column; a cell
  // beyond them is out of place.
  size_t width = 0;
  for (size_t col : head.columns) width = std::max(width, col + 2);
  if (rows * width > kMaxGridCells) {
    for (const Cell& cell : group.cells)
      if (!IsHourCell(cell) && !IsHeadCell(cell)) ++day.skipped;
    return;
  }

  std::vector<int> channelOfColumn(width, -1);
  for (size_t i = 0; i < head.columns.size(); ++i)
    if (channelOfColumn[head.columns[i]] < 0) channelOfColumn[head.columns[i]] = static_cast<int>(i);

  auto spanEnd = [rows](const Cell& cell) { return cell.rowspan == kToGroupEnd ? rows : cell.row + cell.rowspan; };

  // Hour cells, column by column in row order.
  std::map<size_t, std::vector<HourCell>> hourColumns;
  for (const Cell& cell : group.cells) {
    if (!IsHourCell(cell) || cell.col >= width) continue;
    const CellContent content = ReadCell(page.substr(cell.contentBegin, cell.contentEnd - cell.contentBegin));
    const int hour = HourOf(content.text);
    const size_t span = spanEnd(cell) - cell.row;
    if (hour < 0 || span == 0 || span > 60 || 60 % span != 0 || cell.colspan != 1) continue;
    hourColumns[cell.col].push_back(HourCell{cell.row, cell.col, span, (hour < 5 ? hour + 24 : hour) * 60, false});
  }
  // An hour cell counts when the next one in its column follows right after
  // its span with the next hour, or when it is the last one and reaches the
  // end of the table.
  for (auto& [col, cells] : hourColumns) {
    for (size_t i = 0; i < cells.size(); ++i) {
      HourCell& h = cells[i];
      if (i + 1 < cells.size()) {
        h.confirmed = cells[i + 1].row == h.row + h.span && cells[i + 1].startMinute == h.startMinute + 60;
      } else {
        h.confirmed = h.row + h.span >= rows;
      }
    }
  }
  // The minute of every row; -1 unknown, -2 where hour columns disagree.
  std::vector<int> rowMinute(rows, -1);
  const HourCell* last = nullptr;  // the confirmed hour cell that reaches furthest down
  for (const auto& [col, cells] : hourColumns) {
    for (const HourCell& h : cells) {
      if (!h.confirmed) continue;
      if (!last || h.row > last->row) last = &h;
      const int step = static_cast<int>(60 / h.span);
      for (size_t r = h.row; r < h.row + h.span && r < rows; ++r) {
        const int minute = h.startMinute + static_cast<int>(r - h.row) * step;
        int& known = rowMinute[r];
        known = known == -1 ? minute : (known == minute ? known : -2);
      }
    }
  }
  // The minute at a row boundary: a known row, or past the last row within
  // the last hour cell's span (on a complete table also beyond it, for a
  // programme that runs past the end of the listing day).
  auto boundaryMinute = [&](size_t boundary) -> int {
    if (boundary < rows) return rowMinute[boundary];
    if (!last || rowMinute[rows - 1] < 0) return -1;
    if (boundary > last->row + last->span && !table.complete) return -1;
    if (last->row + last->span < rows) return -1;
    return last->startMinute + static_cast<int>((boundary - last->row) * (60 / last->span));
  };

  // Rows whose cells are out of place: a channel column left empty, a
  // programme outside the channel columns, an hour cell inside them.
  std::vector<uint8_t> covered(rows * width, 0);
  std::vector<bool> unsound(rows, false);
  for (const Cell& cell : group.cells) {
    const size_t end = std::min(spanEnd(cell), rows);
    for (size_t r = cell.row; r < end; ++r)
      for (size_t c = cell.col; c < cell.col + cell.colspan && c < width; ++c) covered[r * width + c] = 1;
    const bool hourCell = IsHourCell(cell);
    for (size_t c = cell.col; c < cell.col + cell.colspan; ++c) {
      const bool channelColumn = c < width && channelOfColumn[c] >= 0;
      if (hourCell ? channelColumn : (!channelColumn && !IsHeadCell(cell))) unsound[cell.row] = true;
    }
  }
  for (size_t r = 0; r < rows; ++r)
    for (size_t col : head.columns)
      if (!covered[r * width + col]) unsound[r] = true;

  // A cell that does not start exactly where the cell above it in its column
  // ended was pushed there by damage above; so was every cell below it and
  // every later cell of its row. Cells are placed in document order, so one
  // pass in that order carries the damage down.
  std::vector<size_t> lastEnd(width, 0);
  std::vector<bool> lastDamaged(width, false);
  std::vector<bool> rowDamaged = unsound;
  std::vector<bool> damaged(group.cells.size(), false);
  // Per column and row: 0 no cell starts there, 1 a sound cell, 2 a damaged one.
  std::vector<std::vector<uint8_t>> startsAt(width, std::vector<uint8_t>(rows, 0));
  for (size_t i = 0; i < group.cells.size(); ++i) {
    const Cell& cell = group.cells[i];
    if (IsHeadCell(cell)) continue;
    bool bad = rowDamaged[cell.row];
    for (size_t c = cell.col; c < cell.col + cell.colspan && c < width; ++c)
      if (lastEnd[c] != cell.row || lastDamaged[c]) bad = true;
    if (bad) rowDamaged[cell.row] = true;
    damaged[i] = bad;
    for (size_t c = cell.col; c < cell.col + cell.colspan && c < width; ++c) {
      lastEnd[c] = spanEnd(cell);
      lastDamaged[c] = bad;
    }
    if (cell.col < width) startsAt[cell.col][cell.row] = bad ? 2 : 1;
  }

  for (size_t i = 0; i < group.cells.size(); ++i) {
    const Cell& cell = group.cells[i];
    if (IsHourCell(cell) || IsHeadCell(cell)) continue;
    CellContent content = ReadCell(page.substr(cell.contentBegin, cell.contentEnd - cell.contentBegin));
    std::string title;
    std::optional<int> timeMinute;
    if (!content.strongs.empty()) {
      timeMinute = ListingMinuteOfTime(content.strongs[0]);
      if (content.strongs.size() >= 2) {
        title = content.strongs[1];
      } else if (!timeMinute) {
        title = content.strongs[0];
      }
    }
    if (title.empty()) {
      // An empty cell is a gap in the listing; a cell with text but no title
      // is a programme we cannot name.
      if (!content.text.empty()) ++day.skipped;
      continue;
    }
    const int channel = cell.col < width ? channelOfColumn[cell.col] : -1;
    const size_t end = spanEnd(cell);
    const int start = rowMinute[cell.row];
    const int stop = boundaryMinute(end);
    // The next cell of the column starts where this one stops, in its place.
    const bool stopConfirmed = end >= rows || (cell.col < width && startsAt[cell.col][end] == 1);
    if (!cell.closed || channel < 0 || damaged[i] || start < 0 || stop < 0 || stop <= start ||
        !stopConfirmed || (timeMinute && *timeMinute != start)) {
      ++day.skipped;
      continue;
    }
    ListingProgramme programme;
    programme.channel = static_cast<size_t>(channel);
    programme.startMinute = start;
    programme.stopMinute = stop;
    programme.title = std::move(title);
    programme.description = std::move(content.description);
    programme.isNew = content.isNew;
    programme.iepgUrl = std::move(content.iepgUrl);
    programme.detailUrl = std::move(content.detailUrl);
    programme.watchId = std::move(content.watchId);
    // "genre_NN" gives the genre; "genre_XX" (radio) gives none.
    for (size_t pos = cell.classes.find("genre_"); pos != std::string_view::npos;
         pos = cell.classes.find("genre_", pos + 1)) {
      const std::string_view digits = cell.classes.substr(pos + 6, 2);
      if (digits.size() == 2 && digits[0] >= '0' && digits[0] <= '9' && digits[1] >= '0' && digits[1] <= '9' &&
          (pos + 8 == cell.classes.size() || cell.classes[pos + 8] == ' ')) {
        programme.genre = (digits[0] - '0') * 10 + (digits[1] - '0');
        break;
      }
    }
    day.programmes.push_back(std::move(programme));
  }
}

}  // namespace

std::vector<ListingChannel> ParseHeaderChannels(std::string_view headPage) {
  const Table table = ParseTable(headPage, true);
  return FindChannelRow(headPage, table).channels;
}

PageReadResult ParseListingPages(std::string_view headPage, std::string_view dataPage, int listingDate) {
  PageReadResult result;
  result.day.date = listingDate;
  const Table table = ParseTable(dataPage, false);
  if (!table.found) {
    result.error = "the data page holds no programme table";
    return result;
  }
  ChannelRow head = FindChannelRow(dataPage, table);
  if (!head.found) {
    // The data page lost its hidden head rows: the header page's columns.
    const Table headTable = ParseTable(headPage, true);
    head = FindChannelRow(headPage, headTable);
  }
  if (!head.found || head.channels.empty()) {
    result.error = "neither the data page nor the header page names the channels";
    return result;
  }
  for (const RowGroup& group : table.groups) ReadGroup(dataPage, table, group, head, result.day);
  result.day.skipped += table.strayProgrammeCells;
  result.day.channels = std::move(head.channels);
  std::stable_sort(result.day.programmes.begin(), result.day.programmes.end(),
                   [](const ListingProgramme& a, const ListingProgramme& b) {
                     return a.channel != b.channel ? a.channel < b.channel : a.startMinute < b.startMinute;
                   });
  result.ok = true;
  return result;
}

PageReadResult ReadListingPages(const std::filesystem::path& headPage, const std::filesystem::path& dataPage,
                                int listingDate) {
  const std::optional<std::string> data = text::ReadFileBytes(dataPage);
  if (!data) {
    PageReadResult result;
    result.day.date = listingDate;
    result.error = "the data page cannot be read";
    return result;
  }
  const std::optional<std::string> head = text::ReadFileBytes(headPage);
  return ParseListingPages(head ? *head : std::string(), *data, listingDate);
}

}  // namespace kanro::exports
