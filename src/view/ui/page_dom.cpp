#include "view/ui/page_dom.h"

#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineScript>

namespace kanro::view {

namespace {

// The snippets of page_scripts.js by name, read once.
const QHash<QString, QString>& Snippets() {
  static const QHash<QString, QString> snippets = [] {
    QHash<QString, QString> byName;
    QFile file(QStringLiteral(":/kanro/page_scripts.js"));
    if (!file.open(QIODevice::ReadOnly)) return byName;
    const QString source = QString::fromUtf8(file.readAll());
    QString name;
    QString body;
    const auto flush = [&] {
      if (!name.isEmpty()) byName.insert(name, body);
      body.clear();
    };
    for (const QString& line : source.split(QLatin1Char('\n'))) {
      if (line.startsWith(QLatin1String("//== "))) {
        flush();
        name = line.mid(5).trimmed();
      } else if (!name.isEmpty()) {
        body += line;
        body += QLatin1Char('\n');
      }
    }
    flush();
    return byName;
  }();
  return snippets;
}

QString JsonString(const QString& text) {
  // A JSON array literal is a script literal; its single element is the string.
  const QString array = QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact));
  return array.mid(1, array.size() - 2);
}

}  // namespace

PageDom::PageDom(QWebEnginePage* page, QString document) : m_page(page), m_document(std::move(document)) {}

QString PageDom::Script(const char* name, const QString& arguments) const {
  QString script = Snippets().value(QString::fromLatin1(name));
  script.replace(QLatin1String("__DOCUMENT__"), m_document);
  script.replace(QLatin1String("__ARGUMENTS__"), arguments.isEmpty() ? QStringLiteral("null") : arguments);
  return script;
}

void PageDom::Collect(std::function<void(PageCells)> done) const {
  m_page->runJavaScript(Script("collect"), QWebEngineScript::ApplicationWorld,
                        [done = std::move(done)](const QVariant& result) { done(ParsePageCells(result)); });
}

void PageDom::Apply(const QString& generation, const std::vector<CellChange>& changes,
                    std::function<void(bool)> done) const {
  const QString arguments = QStringLiteral("{\"generation\":%1,\"changes\":%2}")
                                .arg(JsonString(generation), CellChangesJson(changes));
  m_page->runJavaScript(Script("apply", arguments), QWebEngineScript::ApplicationWorld,
                        [done = std::move(done)](const QVariant& result) {
                          if (done) done(result.toBool());
                        });
}

void PageDom::ScrollToCellId(const QString& id) const {
  m_page->runJavaScript(Script("scroll", JsonString(id)), QWebEngineScript::ApplicationWorld);
}

void PageDom::LoadInHiddenFrame(const QUrl& url) const {
  m_page->runJavaScript(Script("hidden-frame", JsonString(QString::fromUtf8(url.toEncoded()))),
                        QWebEngineScript::ApplicationWorld);
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

}  // namespace kanro::view
