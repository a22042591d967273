#pragma once
// Applies an application look (210-218) to the whole program: a Qt style and
// a palette.
class QPalette;

namespace kanro::frame {

// Sets the style and palette of the application for the look (an unknown look
// counts as the default one).
void ApplyApplicationLook(int look);
QPalette LookPaletteFor(int look);

}  // namespace kanro::frame
