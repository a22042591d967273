#pragma once
// The application looks 210-218 as plain data: which Qt style and palette
// stand for each.
namespace kanro::frame {

inline constexpr int kDefaultLook = 214;

// A stored "ApplicationLook" outside 210-218 counts as the default look.
int NormalizeLook(int stored);

enum class LookPalette { Classic, Standard, WindowsXp, OfficeXp, Office2003, Blue, Black, Silver, Aqua };

struct LookInfo {
  const char* styleName;  // Qt style key
  LookPalette palette;
};

LookInfo LookFor(int look);

}  // namespace kanro::frame
