// The main window's first size.
#include <gtest/gtest.h>

#include "frame/window_size.h"

namespace {

using kanro::frame::DefaultWindowExtent;
using kanro::frame::WindowExtent;

TEST(DefaultWindowExtentTest, TakesMostOfTheScreenButWidensForTheBarsAndStaysOnIt) {
  WindowExtent big = DefaultWindowExtent({1920, 1050}, 1200);
  EXPECT_EQ(big.width, 1536);
  EXPECT_EQ(big.height, 840);
  // 80% of a small screen would cut the date bar: the bars' width wins.
  WindowExtent small = DefaultWindowExtent({1280, 1000}, 1150);
  EXPECT_EQ(small.width, 1150);
  EXPECT_EQ(small.height, 800);
  // Never wider than the screen, even when the bars want more.
  EXPECT_EQ(DefaultWindowExtent({800, 600}, 1150).width, 800);
}

}  // namespace
