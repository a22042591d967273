#pragma once
// The main window as workers see it: a "send" is a blocking call into the UI
// thread (the worker waits until the handler returned, so pointers in lParam
// stay valid), a "post" a queued one. Both keep their order. Once detached
// (the window is closing), sends are answered at once on the worker's thread
// and dropped, and senders still waiting are released, so a worker never
// blocks a closing window.
#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "app/messages.h"

namespace kanro::frame {

class CWindowTarget : public QObject, public app::MessageTarget {
  Q_OBJECT

 public:
  // Runs on the thread this object lives in. Text pointers it receives are
  // copies owned by the call, valid until the handler returns.
  using Handler = std::function<intptr_t(unsigned message, uintptr_t wParam, intptr_t lParam)>;

  explicit CWindowTarget(Handler handler, QObject* parent = nullptr);
  // Detaches first, so a sender still waiting returns.
  ~CWindowTarget() override;
  CWindowTarget(const CWindowTarget&) = delete;
  CWindowTarget& operator=(const CWindowTarget&) = delete;

  intptr_t Send(unsigned message, uintptr_t wParam, intptr_t lParam) override;
  void Post(unsigned message, uintptr_t wParam, intptr_t lParam) override;

  // From now on nothing reaches the handler.
  void Detach();
  bool Detached() const;

  // What a dropped message must not leave behind: the response file of
  // 1124/2 and 1124/3 is deleted.
  static void Drop(unsigned message, uintptr_t wParam, intptr_t lParam);
  // Whether lParam of this message points to a NUL-terminated text.
  static bool CarriesText(unsigned message, uintptr_t wParam, intptr_t lParam);

 private:
  struct Call;
  void Run(const std::shared_ptr<Call>& call);

  Handler m_handler;
  mutable std::mutex m_mutex;
  std::condition_variable m_answered;
  bool m_bDetached = false;
  std::vector<std::shared_ptr<Call>> m_waiting;  // sends not yet answered
};

}  // namespace kanro::frame
