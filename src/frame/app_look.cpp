#include "frame/app_look.h"

namespace kanro::frame {

int NormalizeLook(int stored) { return stored >= 210 && stored <= kDarkLook ? stored : kDefaultLook; }

LookInfo LookFor(int look) {
  switch (NormalizeLook(look)) {
    case 210: return {"Windows", LookPalette::Classic};
    case 211: return {"Fusion", LookPalette::OfficeXp};
    case 212: return {"Fusion", LookPalette::WindowsXp};
    case 213: return {"Fusion", LookPalette::Office2003};
    case 215: return {"Fusion", LookPalette::Blue};
    case 216: return {"Fusion", LookPalette::Black};
    case 217: return {"Fusion", LookPalette::Silver};
    case 218: return {"Fusion", LookPalette::Aqua};
    case kDarkLook: return {"Fusion", LookPalette::Dark};
    default: return {"Fusion", LookPalette::Standard};
  }
}

std::optional<std::string> StylesheetForLook(int look, const std::string& activeStylesheet) {
  if (NormalizeLook(look) == kDarkLook) {
    if (activeStylesheet == kDarkStylesheet) return std::nullopt;
    return std::string(kDarkStylesheet);
  }
  if (activeStylesheet == kDarkStylesheet) return std::string(kDefaultStylesheet);
  return std::nullopt;
}

bool IsDarkWindowColour(int red, int green, int blue) {
  // Rec. 601 luma, as a quick reading of "looks dark".
  return red * 299 + green * 587 + blue * 114 < 128 * 1000;
}

}  // namespace kanro::frame
