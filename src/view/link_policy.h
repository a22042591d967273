#pragma once
// What the view does with a navigation or a resource request of its pages.
// Local pages are shown; watch links ("prp") are the program's own commands;
// remote pages open in the desktop browser on a click and are never loaded
// into the view; the only remote address a page may reach is the maker's
// service (watch notifications through the hidden frame).
#include <QUrl>

namespace kanro::view {

enum class NavigationDecision {
  Allow,           // load it in the view
  WatchLink,       // a prp:// link: the program handles it, the view does not navigate
  OpenExternally,  // a remote link the user clicked: the desktop browser opens it
  Refuse,          // anything else
};

// userClick: the navigation came from a click on a link (not from a script,
// a frame's own source or a redirect).
NavigationDecision DecideNavigation(const QUrl& url, bool userClick, const QUrl& serviceUrl);

// True for a request that must not leave the machine: any http, https, ws,
// wss or ftp address except the service's own (scheme, host, port and path;
// any query).
bool ShouldBlockRequest(const QUrl& url, const QUrl& serviceUrl);

}  // namespace kanro::view
