#pragma once
// Reads a listing day back from the header page and the data page Kanro wrote
// (CP932, either site's layout, whatever rewrite rules ran over them). The
// programme table is laid out as a browser lays out an HTML table (row spans,
// column spans, row groups); the hour cells give every row its time, so a
// programme starts at its first row and stops where its row span ends.
//
// A programme is only returned when its place is certain: its row has every
// channel column filled, its hour cells agree with each other and with the
// next hour, its start time text (when the cell has one) matches the row,
// and its stop is confirmed by the next cell of its column or by the end of
// the table. Everything else is skipped and counted, never guessed.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "export/listing_day.h"

namespace kanro::exports {

struct PageReadResult {
  bool ok = false;
  std::string error;  // English, for messages, when !ok
  ListingDay day;
};

// From the bytes of the two pages; the header page may be empty (the data
// page's own hidden head rows then name the channels).
PageReadResult ParseListingPages(std::string_view headPage, std::string_view dataPage, int listingDate);

// From the files; a missing header page is no error, a missing data page is.
PageReadResult ReadListingPages(const std::filesystem::path& headPage, const std::filesystem::path& dataPage,
                                int listingDate);

// Only the channels of a header page (empty when it has none), for listing
// the channels of an entry without reading its days.
std::vector<ListingChannel> ParseHeaderChannels(std::string_view headPage);

}  // namespace kanro::exports
