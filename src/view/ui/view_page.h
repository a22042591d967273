#pragma once
// The web page of the listing view: it refuses page script (our own scripts
// run in the application world), reports every frame's document as it becomes
// ready, hands watch links to the view and remote links to the desktop
// browser, and keeps its pages inside the data folder: whatever a page holds,
// nothing outside it loads and no navigation proceeds that neither the
// program nor the user's click asked for.
#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>

#include <functional>
#include <map>
#include <string>

#include "view/page_locations.h"

class QWebEngineProfile;

namespace kanro::view {

class IepgHandover;

// Blocks every request outside the data folder except the maker's service
// and a frame's load of an iEPG file the user just clicked.
class RemoteRequestBlocker : public QWebEngineUrlRequestInterceptor {
  Q_OBJECT
 public:
  RemoteRequestBlocker(const IepgHandover* handover, QObject* parent);
  void interceptRequest(QWebEngineUrlRequestInfo& info) override;

 Q_SIGNALS:
  // A request of a page was stopped.
  void blocked(const QUrl& url);

 private:
  const IepgHandover* m_handover;
};

// A profile of the view's own: off the record, page script off, remote
// requests blocked, Shift_JIS as the fallback encoding, downloads refused but
// for the iEPG hand-over. The caller owns it and deletes it after every page
// that uses it.
QWebEngineProfile* CreateViewProfile();

// The maker's service address the pages may reach.
QUrl ServiceAddress();

class ViewPage : public QWebEnginePage {
  Q_OBJECT
 public:
  ViewPage(QWebEngineProfile* profile, QObject* parent = nullptr);

  // The program is about to load url itself, into the top or into a frame
  // (by load() or by script): that one navigation proceeds. Every call
  // allows one.
  void ExpectLoad(const QUrl& url);

  std::function<void(const FrameReport&)> onFrameReport;
  std::function<void(const QUrl&)> onWatchLink;
  // An iEPG link was followed: the view loads it in the hidden frame "iepg".
  std::function<void(const QUrl&)> onIepgLink;
  // Something for the status bar (CP932), e.g. an iEPG file that was refused.
  std::function<void(const std::string&)> onStatusText;

 Q_SIGNALS:
  // A navigation was refused: nothing asked for it, or it leads outside.
  void refused(const QUrl& url);

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                const QString& source) override;

 private:
  bool Handle(const QUrl& url, bool userClick, bool mainFrame, bool programLoad);
  bool TakeExpected(const QUrl& url, NavigationType type, bool mainFrame);
  QString m_reportPrefix;
  std::map<QString, int> m_expected;  // address without fragment -> loads still to come
  QUrl m_top;                         // the top document the program last loaded
};

}  // namespace kanro::view
