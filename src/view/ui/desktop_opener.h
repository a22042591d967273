#pragma once
// Hands an address to the desktop: a web link to the user's browser, a local
// file to the application associated with its type. Always a parsed URL,
// never a string for a shell. Tests replace the opener to see what would
// have been opened.
#include <QUrl>

#include <functional>

namespace kanro::view {

// True when the desktop accepted the address.
bool OpenWithDesktop(const QUrl& url);

// Replaces the desktop's opener; an empty function restores it.
void SetDesktopOpenerForTesting(std::function<bool(const QUrl&)> opener);

}  // namespace kanro::view
