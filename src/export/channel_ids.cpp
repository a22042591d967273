#include "export/channel_ids.h"

#include <cstdint>
#include <cstdio>
#include <set>

namespace kanro::exports {
namespace {

bool IsIdChar(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-'; }

// The file name of the link's last path segment without its extension, when
// it is a usable id ("http://host/contents/ch/008/0024.html" gives 0024).
std::string PageCode(std::string_view link) {
  link = link.substr(0, link.find_first_of("?#"));
  const size_t slash = link.rfind('/');
  if (slash == std::string_view::npos) return {};
  std::string_view name = link.substr(slash + 1);
  name = name.substr(0, name.find('.'));
  if (name.empty() || name.size() > 32) return {};
  for (char c : name)
    if (!IsIdChar(c)) return {};
  return std::string(name);
}

// FNV-1a: short, stable across runs and platforms.
uint32_t NameHash(std::string_view text) {
  uint32_t hash = 2166136261u;
  for (char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  return hash;
}

}  // namespace

std::string StationToken(const ListingChannel& channel, size_t column) {
  // Only a channel page names the station: other links (a query naming the
  // column, the site's top page) are no help.
  if (channel.link.find("/ch/") != std::string::npos) {
    std::string code = PageCode(channel.link);
    if (!code.empty()) return code;
  }
  char text[16];
  if (!channel.name.empty()) {
    std::snprintf(text, sizeof text, "n%08x", static_cast<unsigned>(NameHash(channel.name)));
  } else {
    std::snprintf(text, sizeof text, "c%zu", column + 1);
  }
  return text;
}

std::vector<std::string> StationTokens(const std::vector<ListingChannel>& channels) {
  std::vector<std::string> tokens;
  std::set<std::string> taken;
  for (size_t i = 0; i < channels.size(); ++i) {
    const std::string token = StationToken(channels[i], i);
    std::string unique = token;
    for (int n = 2; !taken.insert(unique).second; ++n) unique = token + "-" + std::to_string(n);
    tokens.push_back(unique);
  }
  return tokens;
}

std::string XmltvChannelId(std::string_view entry, std::string_view token) {
  return std::string(entry) + "-" + std::string(token) + ".kanro";
}

}  // namespace kanro::exports
