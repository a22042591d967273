#pragma once
// Warnings shown as message boxes over the main window, beeps as the
// platform's beep.
#include "app/messages.h"

class QWidget;

namespace kanro::frame {

class MessageBoxNotifier : public app::Notifier {
 public:
  explicit MessageBoxNotifier(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  void Warn(const std::string& text) override;
  void Beep() override;

 private:
  QWidget* parent_;
};

}  // namespace kanro::frame
