#include "net/http_request.h"

int HttpRequest(const std::filesystem::path&, const std::vector<std::string>&,
                const std::string&, const std::string&,
                kanro::app::MessageTarget*, const char*, const std::string&) {
  return -1;
}
