#pragma once
// Reading the viewing-plan ranking the maker's service sent: network text,
// so it is read within fixed bounds and made safe to show before the task
// pane's list is touched.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanro::taskpane {

struct RankingLimits {
  size_t maxLines = 100;
  size_t maxLineBytes = 512;
  size_t maxTotalBytes = 64 * 1024;  // of the file; the rest is not read
};

// The lines of text (CP932), in order. Lines end at CR LF, LF or a lone CR;
// empty lines are skipped; a line longer than maxLineBytes is cut at a
// character boundary. NUL and other control bytes, and bytes that start no
// CP932 character, become "・", so every line shows as what was sent.
std::vector<std::string> SplitRankingText(std::string_view bytes, const RankingLimits& limits = {});

// Reads at most limits.maxTotalBytes of file and splits them. Nothing when
// the file cannot be opened or read.
std::optional<std::vector<std::string>> ReadRankingFile(const std::filesystem::path& file,
                                                        const RankingLimits& limits = {});

}  // namespace kanro::taskpane
