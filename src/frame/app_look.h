#pragma once
// The application looks 210-219 as plain data: which Qt style and palette
// stand for each, and which stylesheet of the pages goes with the dark look.
#include <optional>
#include <string>

namespace kanro::frame {

inline constexpr int kDefaultLook = 214;
inline constexpr int kDarkLook = 219;
inline constexpr const char* kDarkStylesheet = "dark.css";
inline constexpr const char* kDefaultStylesheet = "default.css";

// A stored "ApplicationLook" outside 210-219 counts as the default look.
int NormalizeLook(int stored);

enum class LookPalette { Classic, Standard, WindowsXp, OfficeXp, Office2003, Blue, Black, Silver, Aqua, Dark };

struct LookInfo {
  const char* styleName;  // Qt style key
  LookPalette palette;
};

LookInfo LookFor(int look);

// The stylesheet to choose with a newly picked look: the dark one with the
// dark look, the default one when a light look replaces the dark look while
// its stylesheet is in use ("CssFile"); nothing otherwise, so a stylesheet
// the user chose stays.
std::optional<std::string> StylesheetForLook(int look, const std::string& activeStylesheet);

// True when a desktop palette with this window colour (0-255 each) is dark,
// so the dark look is worth proposing at the first start.
bool IsDarkWindowColour(int red, int green, int blue);

}  // namespace kanro::frame
