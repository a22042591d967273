#pragma once
// Waiting in GUI tests without QTest::qWait: a local event loop that ends
// when the awaited thing happens (WebEngine slows down badly under sleeps).
#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>

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

}  // namespace kanro::test
