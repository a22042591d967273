#pragma once
// The task pane's 16 x 16 task images, drawn for this program:
// 0 keyword edit, 1 keyword hit of the page, 2 search result, 3 ranking
// reload, 4 ranking line, 5 keyword search.
#include <QIcon>

namespace kanro::taskpane {

inline constexpr int kTaskIconCount = 6;

QIcon TaskIcon(int index);

}  // namespace kanro::taskpane
