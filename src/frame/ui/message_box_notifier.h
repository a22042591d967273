#pragma once
// Warnings shown as message boxes over the main window, beeps as the
// platform's beep.
#include <QString>

#include <functional>

#include "app/messages.h"

class QWidget;

namespace kanro::frame {

class MessageBoxNotifier : public app::Notifier {
 public:
  explicit MessageBoxNotifier(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  // While isUnattended() holds (a "/d" run nobody watches) a warning goes to
  // stderr and to toStatus (on the UI thread) instead of a box that waits
  // for a click.
  void SetUnattended(std::function<bool()> isUnattended, std::function<void(const QString&)> toStatus) {
    isUnattended_ = std::move(isUnattended);
    toStatus_ = std::move(toStatus);
  }
  void Warn(const std::string& text) override;
  void Beep() override;

 private:
  QWidget* parent_;
  std::function<bool()> isUnattended_;
  std::function<void(const QString&)> toStatus_;
};

}  // namespace kanro::frame
