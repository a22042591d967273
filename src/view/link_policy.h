#pragma once
// What the view does with a navigation or a resource request of its pages.
// Local pages are shown; watch links ("prp://watch?...") are the program's own
// commands; iEPG files (".tvpi") are fetched by the hidden frame and handed to
// the desktop; other web links (http and https only) open in the desktop
// browser on a click and are never loaded into the view; the only other
// remote address a page may reach is the maker's service (watch
// notifications through the hidden frame). Decisions are made on the parsed
// URL, never on substrings of the address.
#include <QUrl>

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

// userClick: the navigation came from a click on a link (not from a script,
// a frame's own source or a redirect). mainFrame: it would replace the top
// document rather than a frame's.
NavigationDecision DecideNavigation(const QUrl& url, bool userClick, bool mainFrame, const QUrl& serviceUrl);

// True for a request that must not leave the machine: any http, https, ws,
// wss or ftp address except the service's own (scheme, host, port and path;
// any query) and, when subFrameDocument (a frame's own document is being
// loaded), an iEPG address.
bool ShouldBlockRequest(const QUrl& url, bool subFrameDocument, const QUrl& serviceUrl);

}  // namespace kanro::view
