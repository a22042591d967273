#pragma once
// Links in a label of a dialog open through the desktop like every other
// hand-over: when no application takes one, a notice over the dialog says so
// (a label's own link opening would fail without a word).
class QLabel;

namespace kanro::settings {

void OpenLinksThroughDesktop(QLabel* label);

}  // namespace kanro::settings
