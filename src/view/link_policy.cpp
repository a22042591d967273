#include "view/link_policy.h"

#include <QString>

#include <system_error>

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

bool IsInsideFolder(const QUrl& url, const std::filesystem::path& folder) {
  if (!url.isValid() || !url.isLocalFile() || !url.host().isEmpty() || folder.empty()) return false;
  const QString local = url.toLocalFile();
  if (local.isEmpty()) return false;
  std::error_code error;
  std::filesystem::path root = std::filesystem::weakly_canonical(folder, error);
  if (error || root.empty()) return false;
  if (!root.has_filename()) root = root.parent_path();  // the trailing separator of a folder path
  const std::filesystem::path file = std::filesystem::weakly_canonical(std::filesystem::path(local.toStdString()), error);
  if (error) return false;
  // Component by component, so "/d/kanro2" is not inside "/d/kanro".
  auto fileComponent = file.begin();
  for (const std::filesystem::path& rootComponent : root) {
    if (fileComponent == file.end() || *fileComponent != rootComponent) return false;
    ++fileComponent;
  }
  return fileComponent != file.end() && !fileComponent->empty();
}

NavigationDecision DecideNavigation(const QUrl& url, const NavigationSource& source, const QUrl& serviceUrl,
                                    const std::filesystem::path& dataFolder) {
  const QString scheme = url.scheme().toLower();
  // The top document is the program's own frameset: a command only ever
  // comes from a link the user clicked inside one of its frames.
  const bool clickInFrame = source.userClick && !source.mainFrame;
  if (scheme == QLatin1String("prp"))
    return IsWatchLinkAddress(url) && clickInFrame ? NavigationDecision::WatchLink : NavigationDecision::Refuse;
  if (scheme == QLatin1String("file")) {
    if (!IsInsideFolder(url, dataFolder)) return NavigationDecision::Refuse;
    return source.programLoad || clickInFrame ? NavigationDecision::Allow : NavigationDecision::Refuse;
  }
  // An empty document loads nothing; the view empties the hidden frame so.
  if (scheme == QLatin1String("about")) {
    const QString path = url.path();
    return path == QLatin1String("blank") || path == QLatin1String("srcdoc") ? NavigationDecision::Allow
                                                                             : NavigationDecision::Refuse;
  }
  if (IsIepgAddress(url)) {
    if (source.userClick) return NavigationDecision::IepgLink;
    // The view's own load of a clicked iEPG link into the hidden frame.
    return source.programLoad && !source.mainFrame ? NavigationDecision::Allow : NavigationDecision::Refuse;
  }
  if (IsRemote(url) && IsService(url, serviceUrl) && !source.userClick)
    return source.programLoad && !source.mainFrame ? NavigationDecision::Allow : NavigationDecision::Refuse;
  if (IsWebAddress(url)) return source.userClick ? NavigationDecision::OpenExternally : NavigationDecision::Refuse;
  return NavigationDecision::Refuse;
}

bool ShouldBlockRequest(const QUrl& url, bool subFrameDocument, const QUrl& serviceUrl,
                        const std::filesystem::path& dataFolder) {
  const QString scheme = url.scheme().toLower();
  if (scheme == QLatin1String("file")) return !IsInsideFolder(url, dataFolder);
  // Inline content, and watch links, whose handler refuses every request.
  if (scheme == QLatin1String("data") || scheme == QLatin1String("about") || scheme == QLatin1String("prp"))
    return false;
  if (IsRemote(url) && (IsService(url, serviceUrl) || IsIepgAddress(url))) return !subFrameDocument;
  return true;
}

}  // namespace kanro::view
