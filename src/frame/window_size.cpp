#include "frame/window_size.h"

#include <algorithm>

namespace kanro::frame {

WindowExtent DefaultWindowExtent(WindowExtent available, int widthBarsNeed) {
  WindowExtent extent{available.width * 4 / 5, available.height * 4 / 5};
  extent.width = std::max(extent.width, widthBarsNeed);
  extent.width = std::min(extent.width, available.width);
  return extent;
}

int UsablePaneWidth(int restored, int minimum, int fallback, int windowWidth) {
  // The view keeps at least half the window.
  const int widest = std::max(minimum, windowWidth / 2);
  if (restored >= minimum && restored <= widest) return restored;
  return std::clamp(fallback, minimum, widest);
}

}  // namespace kanro::frame
