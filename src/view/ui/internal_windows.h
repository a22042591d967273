#pragma once
// The web view draws through a window of its own that is never shown (titled
// "Offscreen"); screen readers would meet it as a second, empty top-level
// window of the program. Typed as a popup, it is left out of the
// accessibility tree, as popups are; nothing else reads its type.
namespace kanro::view {

// Call once a web view has shown something: its internal window exists then.
void KeepInternalWindowsFromScreenReaders();

}  // namespace kanro::view
