#pragma once
// How big the main window and its task pane start: sizes chosen from the
// screen on a first start, and restored pane widths that would leave the pane
// unusable replaced by a usable one.
namespace kanro::frame {

struct WindowExtent {
  int width = 0;
  int height = 0;
};

// The first start's window: 80% of the screen's available area, but at
// least as wide as the widest tool bar row needs (so the date bar shows all
// its days), never larger than the available area.
WindowExtent DefaultWindowExtent(WindowExtent available, int widthBarsNeed);

// The task pane's width after a restore: a pane narrower than it can be used
// (or wider than the window leaves it) gets the default width back.
int UsablePaneWidth(int restored, int minimum, int fallback, int windowWidth);

}  // namespace kanro::frame
