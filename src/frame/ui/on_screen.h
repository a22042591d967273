#pragma once
// Work that opens a dialog at start-up (the first-start settings sheet) waits
// until the main window is on screen, so the dialog comes up above it and not
// hidden below a window mapped after it.
#include <functional>

class QWidget;

namespace kanro::frame {

// Runs then once, from the event loop, after the shown window's first expose;
// after a few seconds without one (a window kept unmapped) it runs all the same.
void RunWhenOnScreen(QWidget& window, std::function<void()> then);

}  // namespace kanro::frame
