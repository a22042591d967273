#include "view/link_policy.h"

#include <QString>

namespace kanro::view {

namespace {

bool IsRemote(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  return scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ws") ||
         scheme == QLatin1String("wss") || scheme == QLatin1String("ftp");
}

bool IsService(const QUrl& url, const QUrl& serviceUrl) {
  if (!serviceUrl.isValid() || serviceUrl.host().isEmpty()) return false;
  return url.scheme().compare(serviceUrl.scheme(), Qt::CaseInsensitive) == 0 &&
         url.host().compare(serviceUrl.host(), Qt::CaseInsensitive) == 0 &&
         url.port(url.scheme().toLower() == QLatin1String("https") ? 443 : 80) ==
             serviceUrl.port(serviceUrl.scheme().toLower() == QLatin1String("https") ? 443 : 80) &&
         url.path() == serviceUrl.path();
}

}  // namespace

NavigationDecision DecideNavigation(const QUrl& url, bool userClick, const QUrl& serviceUrl) {
  const QString scheme = url.scheme().toLower();
  if (scheme == QLatin1String("prp")) return NavigationDecision::WatchLink;
  if (scheme == QLatin1String("file") || scheme == QLatin1String("about")) return NavigationDecision::Allow;
  if (IsRemote(url)) {
    if (IsService(url, serviceUrl) && !userClick) return NavigationDecision::Allow;
    return userClick ? NavigationDecision::OpenExternally : NavigationDecision::Refuse;
  }
  if (userClick && scheme == QLatin1String("mailto")) return NavigationDecision::OpenExternally;
  return NavigationDecision::Refuse;
}

bool ShouldBlockRequest(const QUrl& url, const QUrl& serviceUrl) {
  return IsRemote(url) && !IsService(url, serviceUrl);
}

}  // namespace kanro::view
