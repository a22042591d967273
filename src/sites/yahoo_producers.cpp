#include "sites/yahoo_producers.h"

#include "app/settings_store.h"
#include "listing/listing_types.h"
#include "sites/site_hosts.h"
#include "sites/yahoo_html_creater.h"
#include "text/codepage.h"

namespace kanro::sites {
namespace {

struct TypeTexts {
  std::string key;
  std::string name;        // CP932
  std::string defaultUrl;  // the address template on the Yahoo listing site
};

TypeTexts MakeTexts(std::string_view key) {
  const listing::ListingType& type = listing::kListingTypes[static_cast<size_t>(listing::FindListingType(key))];
  return {std::string(type.key), text::Utf8ToCp932(type.name),
          std::string("http://") + kYahooHost + std::string(type.urlPath)};
}

const TypeTexts& Am() {
  static const TypeTexts texts = MakeTexts("YahooAm");
  return texts;
}
const TypeTexts& Fm() {
  static const TypeTexts texts = MakeTexts("YahooFm");
  return texts;
}

std::string UrlSetting(const TypeTexts& texts) {
  return GetProfileString("URL", texts.key.c_str(), texts.defaultUrl);
}

}  // namespace

CYahooAmHtmlProducer::CYahooAmHtmlProducer() { m_pCreater = std::make_unique<CYahooHtmlCreater>(); }
const std::string& CYahooAmHtmlProducer::GetKey() const { return Am().key; }
const std::string& CYahooAmHtmlProducer::GetName() const { return Am().name; }
std::string CYahooAmHtmlProducer::GetUrl() const { return UrlSetting(Am()); }

CYahooFmHtmlProducer::CYahooFmHtmlProducer() { m_pCreater = std::make_unique<CYahooHtmlCreater>(); }
const std::string& CYahooFmHtmlProducer::GetKey() const { return Fm().key; }
const std::string& CYahooFmHtmlProducer::GetName() const { return Fm().name; }
std::string CYahooFmHtmlProducer::GetUrl() const { return UrlSetting(Fm()); }

}  // namespace kanro::sites
