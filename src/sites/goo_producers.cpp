#include "sites/goo_producers.h"

#include "app/settings_store.h"
#include "listing/listing_types.h"
#include "sites/goo_html_creater.h"
#include "sites/site_hosts.h"
#include "text/codepage.h"

namespace kanro::sites {
namespace {

struct TypeTexts {
  std::string key;
  std::string name;        // CP932
  std::string defaultUrl;  // the address template on the goo listing site
};

TypeTexts MakeTexts(std::string_view key) {
  const listing::ListingType& type = listing::kListingTypes[static_cast<size_t>(listing::FindListingType(key))];
  return {std::string(type.key), text::Utf8ToCp932(type.name),
          std::string("http://") + kGooHost + std::string(type.urlPath)};
}

const TypeTexts& Tv() {
  static const TypeTexts texts = MakeTexts("GooTv");
  return texts;
}
const TypeTexts& BsDigital() {
  static const TypeTexts texts = MakeTexts("GooBsDisital");
  return texts;
}
const TypeTexts& UhfBs() {
  static const TypeTexts texts = MakeTexts("GooUhfBs");
  return texts;
}

std::string UrlSetting(const TypeTexts& texts) {
  return GetProfileString("URL", texts.key.c_str(), texts.defaultUrl);
}

}  // namespace

CGooTvHtmlProducer::CGooTvHtmlProducer() { m_pCreater = std::make_unique<CGooHtmlCreater>(); }
const std::string& CGooTvHtmlProducer::GetKey() const { return Tv().key; }
const std::string& CGooTvHtmlProducer::GetName() const { return Tv().name; }
std::string CGooTvHtmlProducer::GetUrl() const { return UrlSetting(Tv()); }

CGooBsDisitalHtmlProducer::CGooBsDisitalHtmlProducer() { m_pCreater = std::make_unique<CGooHtmlCreater>(); }
const std::string& CGooBsDisitalHtmlProducer::GetKey() const { return BsDigital().key; }
const std::string& CGooBsDisitalHtmlProducer::GetName() const { return BsDigital().name; }
std::string CGooBsDisitalHtmlProducer::GetUrl() const { return UrlSetting(BsDigital()); }

CGooUhfBsHtmlProducer::CGooUhfBsHtmlProducer() { m_pCreater = std::make_unique<CGooHtmlCreater>(); }
const std::string& CGooUhfBsHtmlProducer::GetKey() const { return UhfBs().key; }
const std::string& CGooUhfBsHtmlProducer::GetName() const { return UhfBs().name; }
std::string CGooUhfBsHtmlProducer::GetUrl() const { return UrlSetting(UhfBs()); }

}  // namespace kanro::sites
