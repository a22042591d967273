#include "view/ui/view_page.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlSchemeHandler>

#include "app/paths.h"
#include "net/service_request.h"
#include "text/codepage.h"
#include "view/link_policy.h"
#include "view/ui/desktop_opener.h"
#include "view/page_script_file.h"
#include "view/ui/iepg_handover.h"
#include "view/ui/page_dom.h"

namespace kanro::view {

QUrl ServiceAddress() { return QUrl(QString::fromStdString(net::ServiceUrl())); }

RemoteRequestBlocker::RemoteRequestBlocker(const IepgHandover* handover, QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent), m_handover(handover) {}

void RemoteRequestBlocker::interceptRequest(QWebEngineUrlRequestInfo& info) {
  const QUrl url = info.requestUrl();
  const bool subFrame = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeSubFrame;
  // A frame may fetch an iEPG file only right after the user clicked its link.
  if (ShouldBlockRequest(url, subFrame, ServiceAddress(), app::DataDir()) ||
      (IsIepgAddress(url) && !(m_handover && m_handover->IsExpected(url)))) {
    info.block(true);
    Q_EMIT blocked(url);
  }
}

namespace {

// Watch links are commands of the program, decided before any load; a page
// that asks for a prp resource gets nothing.
class RefusingSchemeHandler : public QWebEngineUrlSchemeHandler {
 public:
  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
  void requestStarted(QWebEngineUrlRequestJob* job) override { job->fail(QWebEngineUrlRequestJob::RequestDenied); }
};

}  // namespace

QWebEngineProfile* CreateViewProfile() {
  auto* profile = new QWebEngineProfile();  // no storage name: off the record
  auto* handover = new IepgHandover(profile);
  profile->setUrlRequestInterceptor(new RemoteRequestBlocker(handover, profile));
  // Without a handler, navigations to prp never reach acceptNavigationRequest.
  profile->installUrlSchemeHandler("prp", new RefusingSchemeHandler(profile));
  QWebEngineSettings* settings = profile->settings();
  // The pages are built from network content and loaded from file URLs with
  // access to local files: their own script never runs.
  settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
  settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  // Local pages may reach the network only through the request blocker,
  // which lets the service address alone pass (the hidden frame's watch
  // notifications); with this off, WebEngine would block the service too.
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
  settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
  settings->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
  settings->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
  settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
  // A file dropped on the view would replace the frameset.
  settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
  settings->setDefaultTextEncoding(QStringLiteral("Shift_JIS"));
  return profile;
}

ViewPage::ViewPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {
  // Page script is off, so nothing but our script can write to the console;
  // the random prefix keeps it that way should that ever change.
  m_reportPrefix = QStringLiteral("kanro-view-%1:").arg(QRandomGenerator::global()->generate64(), 16, 16, QChar('0'));
  QWebEngineScript script;
  script.setName(QStringLiteral("kanro-frame-report"));
  script.setInjectionPoint(QWebEngineScript::DocumentReady);
  script.setRunsOnSubFrames(true);
  script.setWorldId(QWebEngineScript::ApplicationWorld);
  // Reports each frame as its document is ready.
  script.setSourceCode(PageScript(page_script::kFrameReport, {}, JsonString(m_reportPrefix)));
  scripts().insert(script);
  QWebEngineScript guard;
  guard.setName(QStringLiteral("kanro-watch-click-guard"));
  guard.setInjectionPoint(QWebEngineScript::DocumentCreation);
  guard.setRunsOnSubFrames(true);
  guard.setWorldId(QWebEngineScript::ApplicationWorld);
  // Watch links work only in the data frame itself.
  guard.setSourceCode(PageScript(page_script::kWatchClickGuard));
  scripts().insert(guard);

  connect(this, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest& request) {
    // No second window: a link that asks for one is handled like a click in
    // a frame (the top document is the frameset, which has no links).
    Handle(request.requestedUrl(), request.isUserInitiated(), false, false);
  });
  if (IepgHandover* handover = IepgHandover::Of(profile)) {
    connect(handover, &IepgHandover::statusText, this, [this](const std::string& text) {
      if (onStatusText) onStatusText(text);
    });
  }
}

namespace {

// Local pages by their path: WebEngine and QUrl may escape a path's
// characters differently.
QString ExpectationKey(const QUrl& url) {
  if (url.isLocalFile()) return QStringLiteral("file:") + url.toLocalFile();
  return QString::fromUtf8(url.adjusted(QUrl::RemoveFragment).toEncoded(QUrl::FullyEncoded));
}

}  // namespace

void ViewPage::ExpectLoad(const QUrl& url) { ++m_expected[ExpectationKey(url)]; }

bool ViewPage::TakeExpected(const QUrl& url, NavigationType type, bool mainFrame) {
  const QString key = ExpectationKey(url);
  const auto expected = m_expected.find(key);
  if (expected != m_expected.end()) {
    if (--expected->second == 0) m_expected.erase(expected);
    if (mainFrame) m_top = url.adjusted(QUrl::RemoveFragment);
    return true;
  }
  const bool top = !m_top.isEmpty() && key == ExpectationKey(m_top);
  // The frameset's frames start on the frameset's own "#".
  if (!mainFrame && type == NavigationTypeOther && top && url.hasFragment() && url.fragment().isEmpty()) return true;
  // Reloading the top document (the context menu) shows the frameset again.
  return mainFrame && type == NavigationTypeReload && top;
}

bool ViewPage::Handle(const QUrl& url, bool userClick, bool mainFrame, bool programLoad) {
  IepgHandover* handover = IepgHandover::Of(profile());
  const NavigationSource source{userClick, programLoad, mainFrame};
  switch (DecideNavigation(url, source, ServiceAddress(), app::DataDir())) {
    case NavigationDecision::Allow:
      // The hidden frame's load of an iEPG file follows a click on its link.
      if (IsIepgAddress(url) && !(handover && handover->IsExpected(url))) break;
      return true;
    case NavigationDecision::WatchLink:
      if (onWatchLink) onWatchLink(url);
      return false;
    case NavigationDecision::IepgLink:
      if (handover && onIepgLink) {
        handover->Expect(url);
        onIepgLink(url);
      }
      return false;
    case NavigationDecision::OpenExternally:
      OpenWithDesktop(url, this, [this, url] {
        if (onStatusText) onStatusText(text::Utf8ToCp932(CannotOpenText(url).toStdString()));
      });
      return false;
    case NavigationDecision::Refuse:
      break;
  }
  Q_EMIT refused(url);
  return false;
}

bool ViewPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
  // Script navigations, meta refreshes and frame sources all arrive as other
  // types than a click; only the program's own expected loads among them pass.
  const bool click = type == NavigationTypeLinkClicked;
  return Handle(url, click, isMainFrame, !click && TakeExpected(url, type, isMainFrame));
}

void ViewPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                        const QString&) {
  if (!message.startsWith(m_reportPrefix)) return;
  const QJsonObject object = QJsonDocument::fromJson(message.mid(m_reportPrefix.size()).toUtf8()).object();
  if (object.isEmpty()) return;
  FrameReport report;
  report.topFrame = object.value(QStringLiteral("top")).toBool();
  report.name = object.value(QStringLiteral("name")).toString();
  report.url = QUrl(object.value(QStringLiteral("href")).toString());
  report.title = object.value(QStringLiteral("title")).toString();
  report.reload = object.value(QStringLiteral("reload")).toBool();
  if (onFrameReport) onFrameReport(report);
}

}  // namespace kanro::view
