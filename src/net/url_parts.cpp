#include "net/url_parts.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace kanro::net {

namespace {

struct UrlDeleter {
  void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};

std::optional<std::string> GetPart(CURLU* handle, CURLUPart part, unsigned flags = 0) {
  char* text = nullptr;
  if (curl_url_get(handle, part, &text, flags) != CURLUE_OK || text == nullptr) return std::nullopt;
  std::string result(text);
  curl_free(text);
  return result;
}

size_t FindIgnoringCase(std::string_view text, std::string_view needle, size_t from) {
  if (needle.empty() || from > text.size()) return std::string_view::npos;
  auto it = std::search(text.begin() + from, text.end(), needle.begin(), needle.end(),
                        [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                        });
  return it == text.end() ? std::string_view::npos : size_t(it - text.begin());
}

}  // namespace

std::optional<UrlParts> SplitUrl(std::string_view url) {
  // A NUL would cut the text short where curl reads it.
  if (url.find('\0') != std::string_view::npos) return std::nullopt;
  std::unique_ptr<CURLU, UrlDeleter> handle(curl_url());
  if (!handle) return std::nullopt;
  std::string text(url);
  if (curl_url_set(handle.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) return std::nullopt;

  UrlParts parts;
  auto scheme = GetPart(handle.get(), CURLUPART_SCHEME);
  auto host = GetPart(handle.get(), CURLUPART_HOST);
  auto port = GetPart(handle.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
  if (!scheme || !host || host->empty() || !port) return std::nullopt;
  if (*scheme != "http" && *scheme != "https") return std::nullopt;
  parts.scheme = *scheme;
  parts.host = *host;
  parts.port = std::strtol(port->c_str(), nullptr, 10);
  parts.path = GetPart(handle.get(), CURLUPART_PATH).value_or("/");
  parts.query = GetPart(handle.get(), CURLUPART_QUERY).value_or("");

  // The host is looked for after "://", so a host that also appears in the
  // scheme ("http://http/") is found in the right place.
  size_t authority = url.find("://");
  authority = authority == std::string_view::npos ? 0 : authority + 3;
  size_t hostAt = FindIgnoringCase(url, parts.host, authority);
  size_t slash = hostAt == std::string_view::npos ? std::string_view::npos : url.find('/', hostAt);
  if (slash != std::string_view::npos) {
    parts.objectName = std::string(url.substr(slash));
  } else {
    parts.objectName = parts.path + (parts.query.empty() ? "" : "?" + parts.query);
  }
  return parts;
}

}  // namespace kanro::net
