#include "frame/window_size.h"

#include <algorithm>

namespace kanro::frame {

WindowExtent DefaultWindowExtent(WindowExtent available, int widthBarsNeed) {
  WindowExtent extent{available.width * 4 / 5, available.height * 4 / 5};
  extent.width = std::max(extent.width, widthBarsNeed);
  extent.width = std::min(extent.width, available.width);
  return extent;
}

}  // namespace kanro::frame
