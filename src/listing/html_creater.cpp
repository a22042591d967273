#include "listing/html_creater.h"

namespace kanro::listing {

CHtmlCreater::CHtmlCreater() = default;
CHtmlCreater::~CHtmlCreater() = default;

bool CHtmlCreater::CreateHead(const std::filesystem::path&, const std::filesystem::path&) { return false; }
bool CHtmlCreater::CreateData(const std::filesystem::path&, const std::filesystem::path&, const std::string&) {
  return false;
}
bool CHtmlCreater::CreateIndex(const std::filesystem::path&) { return false; }
void CHtmlCreater::ConvertLine() {}
void CHtmlCreater::ReplaceWatch() {}
void CHtmlCreater::EucToSjis() {}
void CHtmlCreater::Utf8ToAnsi() {}
void CHtmlCreater::Rewrite(const text::Regex&, std::string_view) {}

}  // namespace kanro::listing
