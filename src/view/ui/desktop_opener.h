#pragma once
// Hands an address to the desktop: a web link to the user's browser, a local
// file to the application associated with its type. Always a parsed URL,
// never a string for a shell. The desktop's answer comes later (on Linux the
// opener is a program of its own that may find no application), so failure
// is reported through a callback, in the UI thread. Tests replace the opener
// to see what would have been opened.
#include <QUrl>

#include <functional>

class QObject;

namespace kanro::view {

// Opens url; onFailed runs (queued, only while context lives) when no
// application took it.
void OpenWithDesktop(const QUrl& url, const QObject* context, std::function<void()> onFailed);

// The text the window shows after a failed hand-over: "<target> が開けませんでした。".
QString CannotOpenText(const QUrl& url);

// Replaces the desktop's opener (true: it took the address); an empty
// function restores it.
void SetDesktopOpenerForTesting(std::function<bool(const QUrl&)> opener);

}  // namespace kanro::view
