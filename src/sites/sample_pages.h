#pragma once
// Sample listing pages in the style of the two listing sites: goo-style pages in
// EUC-JP and Yahoo-style pages in UTF-8, carrying the markers and markup the
// converters look for (region markers, hour and channel cells, programme cells
// with start time and title, new-series marks, genres, iEPG links, G-codes,
// site-relative links). The channels, programmes and layout are invented here.
// Output is deterministic: the same options always give the same bytes.
//
// Used by the tests, the benchmarks and the built-in demo.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanro::sites {

enum class SampleLineEnd { Lf, CrLf, Mixed };

// A station of a page in place of the type's own (for line-up changes).
struct SampleStation {
  std::string name;  // UTF-8
  std::string code;  // the code of its goo channel page ("0024")
};
// One programme of a sample page, for tests that look for it after conversion.
struct SampleProgramme {
  int channel = 0;          // column, 0-based
  int startMinute = 0;      // minutes after midnight of the listing date; 300 = 5:00, 1500 = 1:00 next day
  int durationMinutes = 0;
  std::string timeText;     // "5:00", "0:30" (UTF-8)
  std::string title;        // UTF-8, without markup
  int genre = 0;            // the NN of genre_NN
  bool isNew = false;       // carries the new-series mark
  std::string gcode;        // decimal G-code
};

struct SamplePageOptions {
  std::string typeKey = "GooTv";   // one of the five listing type keys
  std::string locationCode = "008";  // goo code ("008") or Yahoo code ("23")
  int year = 2011;
  int month = 3;
  int day = 9;
  // 0: the natural size of the page. Otherwise the page is grown to exactly
  // this many bytes (longer programme descriptions, then a padding comment
  // outside the listing); a target below the natural size gives the natural page.
  size_t targetBytes = 0;
  uint32_t seed = 1;  // mixed with every other field
  // The demo's pages: titles fit their time of day and length (no morning
  // news at night, no five-minute films) and programmes of half an hour or
  // more get a description fitting their genre. Off, titles are drawn freely
  // and descriptions appear only as padding towards targetBytes.
  bool realistic = false;
  SampleLineEnd lineEnd = SampleLineEnd::Lf;
  // Not empty: the page shows these stations instead of the type's.
  std::vector<SampleStation> stations;
  // Not empty: the page shows these programmes instead of the drawn ones
  // (for schedule changes: take SampleSchedule, change it, set it here).
  std::vector<SampleProgramme> schedule;
  // Not empty: the iEPG links lead to this origin ("http://127.0.0.1:PORT")
  // instead of the site-relative "/iepg.tvpi", so a server that answers
  // them itself (the demo's) is the one the links reach.
  std::string iepgBase;
};


// True for the three goo type keys, false for the two Yahoo keys.
bool IsGooSampleType(std::string_view typeKey);
// The channel names of the type, UTF-8, in column order.
std::vector<std::string> SampleChannels(std::string_view typeKey);
// The programmes the page shows, channel by channel in start order.
std::vector<SampleProgramme> SampleSchedule(const SamplePageOptions& options);

// The page in the site's encoding (EUC-JP for goo types, UTF-8 for Yahoo).
// An unknown type key gives a page without any listing markers.
std::string GenerateSamplePage(const SamplePageOptions& options);
// Writes the page as bytes. False on a file error.
bool WriteSamplePage(const std::filesystem::path& path, const SamplePageOptions& options);

// The request target (path and query) of the page at the type's address
// template, e.g. "/contents/epg/008/VHF_1/20110309_0024/index.html".
std::string SampleTargetFor(const SamplePageOptions& options);
// True for a calendar date, the only dates with pages: a date that only
// normalises to a real one (2011-02-30) names none.
bool IsSampleDate(int year, int month, int day);
// The reverse: the options for a request target at one of the five templates
// (the query may come in any order); nothing for any other target or date.
std::optional<SamplePageOptions> SampleOptionsForTarget(std::string_view pathAndQuery);

// CP932 bytes to EUC-JP bytes: half-width katakana become 0x8E pairs, two-byte
// characters of JIS X 0208 rows move to 0xA1-0xFE pairs, ASCII stays; codes
// with no JIS X 0208 place (vendor rows) become the geta mark.
std::string Cp932ToEucJp(std::string_view cp932);

}  // namespace kanro::sites
