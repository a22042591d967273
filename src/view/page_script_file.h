#pragma once
// The view's page scripts live in one file, page_scripts.js, as named
// snippets: a line "//== name" starts each. A snippet reads its input from
// one JSON value put in for __ARGUMENTS__ ("null" when there is none) and its
// document from a script expression put in for __DOCUMENT__. This is the
// reader of that file and the list of every name the program runs.
#include <array>
#include <map>
#include <string>
#include <string_view>

namespace kanro::view {

namespace page_script {
// On a data document (the frame's from the frameset, or a print copy's own).
inline constexpr std::string_view kCollect = "collect";
inline constexpr std::string_view kApply = "apply";
inline constexpr std::string_view kScroll = "scroll";
inline constexpr std::string_view kHiddenFrame = "hidden-frame";
inline constexpr std::string_view kShowHeadRows = "show-head-rows";
// On the frameset.
inline constexpr std::string_view kShowPages = "show-pages";
inline constexpr std::string_view kReloadPages = "reload-pages";
inline constexpr std::string_view kJumpToAnchor = "jump-to-anchor";
inline constexpr std::string_view kFocusData = "focus-data";
inline constexpr std::string_view kBlankHiddenFrame = "blank-hidden-frame";
// Put into every frame of the view.
inline constexpr std::string_view kFrameReport = "frame-report";
inline constexpr std::string_view kWatchClickGuard = "watch-click-guard";
inline constexpr std::string_view kScrollToProgramme = "scroll-to-programme";

inline constexpr std::array<std::string_view, 13> kAll = {
    kCollect,   kApply,        kScroll,        kHiddenFrame, kShowHeadRows,     kShowPages,
    kReloadPages, kJumpToAnchor, kFocusData, kBlankHiddenFrame, kFrameReport, kWatchClickGuard,
    kScrollToProgramme};
}  // namespace page_script

// The snippets of the file's text by name; text before the first name and
// the name lines themselves are left out.
std::map<std::string, std::string, std::less<>> ParsePageScripts(std::string_view source);

}  // namespace kanro::view
