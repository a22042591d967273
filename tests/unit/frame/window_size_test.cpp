// The main window's first size and the task pane's restored width.
#include <gtest/gtest.h>

#include "frame/window_size.h"

namespace {

using kanro::frame::DefaultWindowExtent;
using kanro::frame::UsablePaneWidth;
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

TEST(UsablePaneWidthTest, SqueezedOrOversizedPanesComeBackAtTheDefault) {
  EXPECT_EQ(UsablePaneWidth(260, 160, 200, 1200), 260);  // a width the user chose stays
  EXPECT_EQ(UsablePaneWidth(70, 160, 200, 1200), 200);   // the squeezed pane of a crash or a tiny window
  EXPECT_EQ(UsablePaneWidth(0, 160, 200, 1200), 200);
  EXPECT_EQ(UsablePaneWidth(900, 160, 200, 1200), 200);  // more than half the window
  // A window too narrow for the default still gives the pane its minimum.
  EXPECT_EQ(UsablePaneWidth(70, 160, 200, 250), 160);
}

}  // namespace
