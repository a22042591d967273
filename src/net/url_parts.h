#pragma once
// Splitting a request URL into the parts a request is made of.
#include <optional>
#include <string>
#include <string_view>

namespace kanro::net {

struct UrlParts {
  std::string scheme;      // "http" or "https", lower case
  std::string host;        // as written in the URL
  long port = 0;           // the given port, or the scheme's default
  std::string path;        // as written, still encoded
  std::string query;       // without "?", still encoded
  // What goes on the request line: the URL text from the first "/" after the
  // host to the end, query included and nothing decoded.
  std::string objectName;
};

// Nothing when the text is not an absolute http or https URL with a host.
std::optional<UrlParts> SplitUrl(std::string_view url);

}  // namespace kanro::net
