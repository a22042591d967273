#include "view/ui/data_page_printer.h"

#include <QEventLoop>
#include <QPointer>
#include <QPrinter>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <memory>

#include "view/ui/view_page.h"
#include "view/ui/page_dom.h"

namespace kanro::view {

namespace {

// Long enough for a whole listing day on a busy machine (each sheet is
// rendered as an image at the printer's resolution); a page that never
// answers must not hang the window.
constexpr int kWaitMilliseconds = 120000;

}  // namespace

DataPagePrinter::DataPagePrinter(QWebEngineProfile* profile) : m_view(std::make_unique<QWebEngineView>()) {
  // The view's own page kind: a print copy follows no navigation of the page.
  m_page = new ViewPage(profile, m_view.get());
  m_view->setPage(m_page);
  m_view->setAttribute(Qt::WA_DontShowOnScreen);
  m_view->resize(1000, 700);
  // Printing needs a live render widget; the view never appears on screen.
  m_view->show();
}

DataPagePrinter::~DataPagePrinter() = default;

QWebEnginePage* DataPagePrinter::Page() const { return m_page; }

bool DataPagePrinter::Load(const QUrl& dataPage) {
  m_loaded = false;
  QEventLoop loop;
  bool ok = false;
  auto finished = QObject::connect(m_page, &QWebEnginePage::loadFinished, &loop, [&](bool success) {
    ok = success;
    loop.quit();
  });
  QTimer::singleShot(kWaitMilliseconds, &loop, &QEventLoop::quit);
  m_page->ExpectLoad(dataPage);
  m_page->load(dataPage);
  loop.exec();
  QObject::disconnect(finished);
  if (!ok) return false;

  // The head rows repeat the channel names; on screen the header frame shows
  // them, on paper they must print at the top of every page.
  // The answer may come after the wait gave up: it must find nothing stale.
  auto shown = std::make_shared<bool>(false);
  QEventLoop scriptLoop;
  QPointer<QEventLoop> waiting(&scriptLoop);
  PageDom(m_page, QStringLiteral("document")).ShowHeadRows([shown, waiting](bool hasBody) {
    *shown = hasBody;
    if (waiting) waiting->quit();
  });
  QTimer::singleShot(kWaitMilliseconds, &scriptLoop, &QEventLoop::quit);
  scriptLoop.exec();
  m_loaded = *shown;
  return m_loaded;
}

bool DataPagePrinter::Print(QPrinter& printer) {
  if (!m_loaded) return false;
  QEventLoop loop;
  bool ok = false;
  auto finished = QObject::connect(m_view.get(), &QWebEngineView::printFinished, &loop, [&](bool success) {
    ok = success;
    loop.quit();
  });
  QTimer::singleShot(kWaitMilliseconds, &loop, &QEventLoop::quit);
  m_view->print(&printer);
  loop.exec();
  QObject::disconnect(finished);
  return ok;
}

}  // namespace kanro::view
