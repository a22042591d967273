#include "export/title_markers.h"

#include "text/codepage.h"

namespace kanro::exports {
namespace {

bool IsDigit(char32_t c) { return (c >= U'0' && c <= U'9') || (c >= U'０' && c <= U'９'); }

// The closing bracket of an opening one, or 0.
char32_t ClosingBracket(char32_t c) {
  switch (c) {
    case U'[': return U']';
    case U'［': return U'］';
    case U'【': return U'】';
    default: return 0;
  }
}

void ReadMarker(char32_t marker, TitleMarkers& markers) {
  switch (marker) {
    case U'字': markers.captions = true; break;
    case U'再': markers.repeat = true; break;
    case U'新': markers.newSeries = true; break;
    case U'終': markers.lastEpisode = true; break;
    default: break;
  }
}

// The end of a run of digits from i (i itself when there is none).
size_t DigitsEnd(const std::u32string& text, size_t i) {
  while (i < text.size() && IsDigit(text[i])) ++i;
  return i;
}

// "第8回", "第8話" or "#8" starting at i; its length, 0 when none starts there.
size_t EpisodeAt(const std::u32string& text, size_t i) {
  if (text[i] == U'第') {
    const size_t end = DigitsEnd(text, i + 1);
    if (end > i + 1 && end < text.size() && (text[end] == U'回' || text[end] == U'話')) return end + 1 - i;
    return 0;
  }
  if (text[i] == U'#' || text[i] == U'＃') {
    const size_t end = DigitsEnd(text, i + 1);
    return end > i + 1 ? end - i : 0;
  }
  return 0;
}

}  // namespace

TitleMarkers ReadTitleMarkers(std::string_view utf8Title) {
  TitleMarkers markers;
  const std::u32string title = text::Utf8ToWide(utf8Title);
  for (size_t i = 0; i < title.size(); ++i) {
    const char32_t close = ClosingBracket(title[i]);
    if (close && i + 2 < title.size() && title[i + 2] == close) {
      ReadMarker(title[i + 1], markers);
      i += 2;
      continue;
    }
    if (markers.episode.empty()) {
      if (const size_t length = EpisodeAt(title, i)) {
        markers.episode = text::WideToUtf8(std::u32string_view(title).substr(i, length));
        i += length - 1;
      }
    }
  }
  return markers;
}

std::vector<std::string> MarkerCategories(const TitleMarkers& markers) {
  std::vector<std::string> names;
  if (markers.captions) names.emplace_back("字幕");
  if (markers.repeat) names.emplace_back("再放送");
  if (markers.newSeries) names.emplace_back("新番組");
  if (markers.lastEpisode) names.emplace_back("最終回");
  return names;
}

}  // namespace kanro::exports
