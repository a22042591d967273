#pragma once
// How big the main window starts when no size was saved: chosen from the
// screen and the bars.
namespace kanro::frame {

struct WindowExtent {
  int width = 0;
  int height = 0;
};

// The first start's window: 80% of the screen's available area, but at
// least as wide as the widest tool bar row needs (so the date bar shows all
// its days), never larger than the available area.
WindowExtent DefaultWindowExtent(WindowExtent available, int widthBarsNeed);

}  // namespace kanro::frame
