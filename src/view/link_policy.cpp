#include "view/link_policy.h"

#include <QString>

namespace kanro::view {

namespace {

bool IsRemote(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  return scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ws") ||
         scheme == QLatin1String("wss") || scheme == QLatin1String("ftp");
}

int DefaultPort(const QUrl& url) { return url.scheme().toLower() == QLatin1String("https") ? 443 : 80; }

bool IsService(const QUrl& url, const QUrl& serviceUrl) {
  if (!serviceUrl.isValid() || serviceUrl.host().isEmpty()) return false;
  return url.scheme().compare(serviceUrl.scheme(), Qt::CaseInsensitive) == 0 &&
         url.host().compare(serviceUrl.host(), Qt::CaseInsensitive) == 0 &&
         url.port(DefaultPort(url)) == serviceUrl.port(DefaultPort(serviceUrl)) && url.path() == serviceUrl.path();
}

}  // namespace

bool IsWatchLinkAddress(const QUrl& url) {
  if (!url.isValid() || url.scheme().compare(QLatin1String("prp"), Qt::CaseInsensitive) != 0) return false;
  if (url.host().compare(QLatin1String("watch"), Qt::CaseInsensitive) != 0) return false;
  if (!url.userInfo().isEmpty() || url.port() != -1) return false;
  const QString path = url.path();
  return (path.isEmpty() || path == QLatin1String("/")) && url.hasQuery();
}

bool IsWebAddress(const QUrl& url) {
  if (!url.isValid() || url.host().isEmpty()) return false;
  const QString scheme = url.scheme().toLower();
  return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool IsIepgAddress(const QUrl& url) {
  return IsWebAddress(url) && url.path().endsWith(QLatin1String(".tvpi"), Qt::CaseInsensitive);
}

NavigationDecision DecideNavigation(const QUrl& url, bool userClick, bool mainFrame, const QUrl& serviceUrl) {
  const QString scheme = url.scheme().toLower();
  if (scheme == QLatin1String("prp"))
    return IsWatchLinkAddress(url) ? NavigationDecision::WatchLink : NavigationDecision::Refuse;
  if (scheme == QLatin1String("file") || scheme == QLatin1String("about")) return NavigationDecision::Allow;
  if (IsIepgAddress(url)) {
    if (userClick) return NavigationDecision::IepgLink;
    // The view's own load of a clicked iEPG link into the hidden frame.
    return mainFrame ? NavigationDecision::Refuse : NavigationDecision::Allow;
  }
  if (IsRemote(url) && IsService(url, serviceUrl) && !userClick) return NavigationDecision::Allow;
  if (IsWebAddress(url)) return userClick ? NavigationDecision::OpenExternally : NavigationDecision::Refuse;
  return NavigationDecision::Refuse;
}

bool ShouldBlockRequest(const QUrl& url, bool subFrameDocument, const QUrl& serviceUrl) {
  if (!IsRemote(url) || IsService(url, serviceUrl)) return false;
  return !(subFrameDocument && IsIepgAddress(url));
}

}  // namespace kanro::view
