#pragma once
// What the view does with a navigation or a resource request of its pages.
// The pages are built from network content, so the view trusts none of them:
// local pages load only from inside the data folder, and only when the
// program itself asked for them or the user clicked a link; watch links
// ("prp://watch?...") are the program's own commands, run only on a click;
// iEPG files (".tvpi") are fetched by the hidden frame and handed to the
// desktop; other web links (http and https only) open in the desktop browser
// on a click and are never loaded into the view; the only other remote
// address a page may reach is the maker's service (watch notifications the
// program sends through the hidden frame). A meta refresh, a frame's own
// source or a redirect is none of these. Decisions are made on the parsed URL,
// never on substrings of the address.
#include <QUrl>

#include <filesystem>

namespace kanro::view {

enum class NavigationDecision {
  Allow,           // load it in the view
  WatchLink,       // a watch link: the program handles it, the view does not navigate
  IepgLink,        // an iEPG link the user clicked: the view loads it in the hidden frame
  OpenExternally,  // a web link the user clicked: the desktop browser opens it
  Refuse,          // anything else
};

// True for "prp://watch?..." (WebEngine hands it over as "prp://watch/?...").
bool IsWatchLinkAddress(const QUrl& url);
// True for an http or https address whose path ends with ".tvpi".
bool IsIepgAddress(const QUrl& url);
// True when the scheme is http or https (schemes compare without case).
bool IsWebAddress(const QUrl& url);

// True for a local file URL whose file, with ".." and symbolic links
// resolved, lies inside folder (itself resolved the same way). A file URL
// naming a host is never inside.
bool IsInsideFolder(const QUrl& url, const std::filesystem::path& folder);

// Where a navigation came from.
struct NavigationSource {
  // A click on a link (not a script, a meta refresh, a frame's own source or
  // a redirect).
  bool userClick = false;
  // The program itself asked for exactly this load: the frameset, a day's
  // pages, a reload, the hidden frame's request.
  bool programLoad = false;
  // It would replace the top document rather than a frame's.
  bool mainFrame = false;
};

NavigationDecision DecideNavigation(const QUrl& url, const NavigationSource& source, const QUrl& serviceUrl,
                                    const std::filesystem::path& dataFolder);

// True for a request of a page that must not be made: a file outside the
// data folder, any remote address except the service's own (scheme, host,
// port and path; any query) and an iEPG address, both only as a frame's own
// document (subFrameDocument), and any scheme the pages have no use for.
bool ShouldBlockRequest(const QUrl& url, bool subFrameDocument, const QUrl& serviceUrl,
                        const std::filesystem::path& dataFolder);

}  // namespace kanro::view
