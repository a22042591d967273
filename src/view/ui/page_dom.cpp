#include "view/ui/page_dom.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <map>
#include <string>

#include "view/page_script_file.h"

namespace kanro::view {

namespace {

// The snippets of page_scripts.js by name, read once.
const std::map<std::string, std::string, std::less<>>& Snippets() {
  static const std::map<std::string, std::string, std::less<>> snippets = [] {
    QFile file(QStringLiteral(":/kanro/page_scripts.js"));
    if (!file.open(QIODevice::ReadOnly)) return std::map<std::string, std::string, std::less<>>();
    const QByteArray source = file.readAll();
    return ParsePageScripts(std::string_view(source.constData(), static_cast<size_t>(source.size())));
  }();
  return snippets;
}

QString FullyEncoded(const QUrl& url) { return QString::fromUtf8(url.toEncoded()); }

}  // namespace

QString PageScript(std::string_view name, const QString& document, const QString& arguments) {
  const auto found = Snippets().find(name);
  if (found == Snippets().end()) return {};
  QString script = QString::fromStdString(found->second);
  script.replace(QLatin1String("__DOCUMENT__"), document);
  script.replace(QLatin1String("__ARGUMENTS__"), arguments.isEmpty() ? QStringLiteral("null") : arguments);
  return script;
}

QString JsonString(const QString& text) {
  // A JSON array literal is a script literal; its single element is the string.
  const QString array = QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact));
  return array.mid(1, array.size() - 2);
}

PageDom::PageDom(QWebEnginePage* page, QString document) : m_page(page), m_document(std::move(document)) {}

void PageDom::Collect(std::function<void(PageCells)> done) const {
  m_page->runJavaScript(PageScript(page_script::kCollect, m_document), QWebEngineScript::ApplicationWorld,
                        [done = std::move(done)](const QVariant& result) { done(ParsePageCells(result)); });
}

void PageDom::Apply(const QString& generation, const std::vector<CellChange>& changes,
                    std::function<void(bool)> done) const {
  const QString arguments = QStringLiteral("{\"generation\":%1,\"changes\":%2}")
                                .arg(JsonString(generation), CellChangesJson(changes));
  m_page->runJavaScript(PageScript(page_script::kApply, m_document, arguments), QWebEngineScript::ApplicationWorld,
                        [done = std::move(done)](const QVariant& result) {
                          if (done) done(result.toBool());
                        });
}

void PageDom::ScrollToCellId(const QString& id) const {
  m_page->runJavaScript(PageScript(page_script::kScroll, m_document, JsonString(id)), QWebEngineScript::ApplicationWorld);
}

void PageDom::ScrollToProgramme(const QString& watchId) const {
  m_page->runJavaScript(PageScript(page_script::kScrollToProgramme, m_document, JsonString(watchId)),
                        QWebEngineScript::ApplicationWorld);
}

void PageDom::LoadInHiddenFrame(const QUrl& url) const {
  m_page->runJavaScript(PageScript(page_script::kHiddenFrame, m_document, JsonString(FullyEncoded(url))),
                        QWebEngineScript::ApplicationWorld);
}

void PageDom::ShowHeadRows(std::function<void(bool)> done) const {
  m_page->runJavaScript(PageScript(page_script::kShowHeadRows, m_document), QWebEngineScript::ApplicationWorld,
                        [done = std::move(done)](const QVariant& result) { done(result.toBool()); });
}

bool PageDom::MarkAndWait(const std::function<void(std::vector<PageCell>&)>& decide) const {
  QEventLoop loop;
  bool marked = false;
  // The loop may be left before a callback comes (the page went away); the
  // callbacks then find it gone.
  QPointer<QEventLoop> waiting(&loop);
  Collect([&, waiting](PageCells collected) {
    if (!waiting) return;
    if (!collected.ok) {
      waiting->quit();
      return;
    }
    std::vector<PageCell> cells = collected.cells;
    decide(cells);
    Apply(collected.generation, DiffCells(collected.cells, cells), [&, waiting](bool applied) {
      if (!waiting) return;
      marked = applied;
      waiting->quit();
    });
  });
  QObject::connect(m_page, &QObject::destroyed, &loop, &QEventLoop::quit);
  loop.exec();
  return marked;
}

void FramesetDom::Run(std::string_view name, const QString& arguments) const {
  m_page->runJavaScript(PageScript(name, {}, arguments), QWebEngineScript::ApplicationWorld);
}

void FramesetDom::ShowPages(const QUrl& head, const QUrl& data) const {
  const QJsonObject arguments{{"head", FullyEncoded(head)}, {"data", FullyEncoded(data)}};
  Run(page_script::kShowPages, QString::fromUtf8(QJsonDocument(arguments).toJson(QJsonDocument::Compact)));
}

void FramesetDom::ReloadPages(bool header) const {
  const QJsonObject arguments{{"header", header}};
  Run(page_script::kReloadPages, QString::fromUtf8(QJsonDocument(arguments).toJson(QJsonDocument::Compact)));
}

void FramesetDom::JumpToAnchor(const QString& name) const { Run(page_script::kJumpToAnchor, JsonString(name)); }

void FramesetDom::FocusData() const { Run(page_script::kFocusData); }

void FramesetDom::BlankHiddenFrame() const { Run(page_script::kBlankHiddenFrame); }

}  // namespace kanro::view
