#include "frame/ui/window_target.h"

#include <QMetaObject>
#include <QThread>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

namespace kanro::frame {

struct CWindowTarget::Call {
  enum class State { Waiting, Running, Answered, Released };
  unsigned message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  State state = State::Waiting;
  intptr_t result = 0;
};

CWindowTarget::CWindowTarget(Handler handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)) {}

CWindowTarget::~CWindowTarget() { Detach(); }

bool CWindowTarget::CarriesText(unsigned message, uintptr_t wParam, intptr_t lParam) {
  if (lParam == 0) return false;
  if (message == app::UM_STATUSTEXT) return true;
  return message == app::UM_TASKRESULT &&
         (wParam == app::TASK_PAGE_WRITTEN || wParam == app::TASK_RANKING || wParam == app::TASK_VERSION);
}

void CWindowTarget::Drop(unsigned message, uintptr_t wParam, intptr_t lParam) {
  if (message != app::UM_TASKRESULT || lParam == 0) return;
  if (wParam != app::TASK_RANKING && wParam != app::TASK_VERSION) return;
  std::error_code error;
  std::filesystem::remove(std::filesystem::path(reinterpret_cast<const char*>(lParam)), error);
}

intptr_t CWindowTarget::Send(unsigned message, uintptr_t wParam, intptr_t lParam) {
  if (QThread::currentThread() == thread()) {
    // A send from the window's own thread is a direct call.
    if (Detached()) {
      Drop(message, wParam, lParam);
      return 0;
    }
    return m_handler(message, wParam, lParam);
  }
  auto call = std::make_shared<Call>();
  call->message = message;
  call->wParam = wParam;
  call->lParam = lParam;
  {
    std::lock_guard lock(m_mutex);
    if (m_bDetached) {
      Drop(message, wParam, lParam);
      return 0;
    }
    m_waiting.push_back(call);
  }
  QMetaObject::invokeMethod(this, [this, call] { Run(call); }, Qt::QueuedConnection);

  std::unique_lock lock(m_mutex);
  m_answered.wait(lock, [&] { return call->state == Call::State::Answered || call->state == Call::State::Released; });
  std::erase(m_waiting, call);
  if (call->state == Call::State::Released) {
    // Released before the window took it: nobody will read the message.
    const bool taken = call->result != 0;
    lock.unlock();
    if (!taken) Drop(message, wParam, lParam);
    return 0;
  }
  return call->result;
}

void CWindowTarget::Run(const std::shared_ptr<Call>& call) {
  std::string text;
  {
    std::lock_guard lock(m_mutex);
    if (call->state != Call::State::Waiting) return;  // released while queued
    call->state = Call::State::Running;
    // Copy the text while the sender surely waits: if the window detaches
    // during the handler (a close from a modal box), the sender is released
    // and its pointer dies, the copy does not.
    if (CarriesText(call->message, call->wParam, call->lParam))
      text = reinterpret_cast<const char*>(call->lParam);
  }
  const intptr_t lParam = CarriesText(call->message, call->wParam, call->lParam)
                              ? reinterpret_cast<intptr_t>(text.c_str())
                              : call->lParam;
  const intptr_t result = m_handler(call->message, call->wParam, lParam);
  std::lock_guard lock(m_mutex);
  if (call->state == Call::State::Running) {
    call->state = Call::State::Answered;
    call->result = result;
  }
  m_answered.notify_all();
}

void CWindowTarget::Post(unsigned message, uintptr_t wParam, intptr_t lParam) {
  if (Detached()) return;
  QMetaObject::invokeMethod(
      this,
      [this, message, wParam, lParam] {
        if (!Detached()) m_handler(message, wParam, lParam);
      },
      Qt::QueuedConnection);
}

void CWindowTarget::Detach() {
  std::lock_guard lock(m_mutex);
  m_bDetached = true;
  for (const std::shared_ptr<Call>& call : m_waiting) {
    if (call->state == Call::State::Answered) continue;
    // A call the handler already holds keeps its file for the handler to
    // read and delete (result 1 marks it taken); a queued one is dropped.
    call->result = call->state == Call::State::Running ? 1 : 0;
    call->state = Call::State::Released;
  }
  m_answered.notify_all();
}

bool CWindowTarget::Detached() const {
  std::lock_guard lock(m_mutex);
  return m_bDetached;
}

}  // namespace kanro::frame
