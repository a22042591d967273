#pragma once
// Waiting in GUI tests without QTest::qWait: a local event loop that ends
// when the awaited thing happens (WebEngine slows down badly under sleeps);
// and clicking into the view's pages with the mouse.
#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QPoint>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <functional>
#include <memory>
#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace kanro::test {

// Counts a signal's emissions; wait() runs the event loop until the next one.
class SignalCounter : public QObject {
 public:
  template <class Sender, class Signal>
  SignalCounter(Sender* sender, Signal signal) {
    connect(sender, signal, this, [this] {
      ++count_;
      if (loop_) loop_->quit();
    });
  }
  bool wait(int milliseconds) {
    const int before = count_;
    QEventLoop loop;
    loop_ = &loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    loop_ = nullptr;
    return count_ > before;
  }
  int count() const { return count_; }

 private:
  int count_ = 0;
  QEventLoop* loop_ = nullptr;
};

// Runs a script in the application world of the page and waits for its answer.
inline QVariant Eval(QWebEnginePage* page, const QString& script) {
  auto result = std::make_shared<QVariant>();
  QEventLoop loop;
  QPointer<QEventLoop> waiting(&loop);
  page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [result, waiting](const QVariant& value) {
    *result = value;
    if (waiting) waiting->quit();
  });
  QTimer::singleShot(10000, &loop, &QEventLoop::quit);
  loop.exec();
  return *result;
}

// Runs the event loop until ready() holds or the time is up; ready() is
// asked after every event batch of a short timer, never by sleeping.
inline bool WaitUntil(const std::function<bool()>& ready, int milliseconds = 15000) {
  if (ready()) return true;
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (ready()) loop.quit();
  });
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  poll.start();
  loop.exec();
  return ready();
}

// Clicks the element with this id with the mouse, as a reader would.
// document: a script expression for the document that holds it, seen from
// the top page.
inline bool ClickElement(QWebEngineView* web, const QString& document, const QString& id) {
  const QVariant point = Eval(web->page(), QStringLiteral("(function (id) {"
                                                          "  var doc = %1;"
                                                          "  var e = doc && doc.getElementById(id);"
                                                          "  if (!e) return null;"
                                                          "  e.scrollIntoView();"
                                                          "  var x = 0, y = 0, w = doc.defaultView;"
                                                          "  while (w.frameElement) {"
                                                          "    var f = w.frameElement.getBoundingClientRect();"
                                                          "    x += f.left; y += f.top; w = w.parent;"
                                                          "  }"
                                                          "  var r = e.getBoundingClientRect();"
                                                          "  return [x + r.left + r.width / 2, y + r.top + r.height / 2];"
                                                          "})('%2')")
                                                .arg(document, id));
  const QVariantList xy = point.toList();
  if (xy.size() != 2) return false;
  QWidget* target = web->focusProxy() ? web->focusProxy() : web;
  QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, QPoint(xy[0].toInt(), xy[1].toInt()));
  return true;
}

}  // namespace kanro::test
