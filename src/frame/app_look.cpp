#include "frame/app_look.h"

namespace kanro::frame {

int NormalizeLook(int stored) { return stored >= 210 && stored <= 218 ? stored : kDefaultLook; }

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
    default: return {"Fusion", LookPalette::Standard};
  }
}

}  // namespace kanro::frame
