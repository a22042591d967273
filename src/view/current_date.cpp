#include "view/current_date.h"

namespace kanro::view {

std::string& CurrentDate() {
  static std::string date;
  return date;
}

}  // namespace kanro::view
