#pragma once
// The two listing types of the Yahoo listing site: AM and FM radio. Each
// converts its pages with CYahooHtmlCreater.
#include <string>

#include "listing/html_producer.h"

namespace kanro::sites {

class CYahooAmHtmlProducer : public listing::CHtmlProducer {
 public:
  CYahooAmHtmlProducer();
  const std::string& GetKey() const override;
  const std::string& GetName() const override;
  std::string GetUrl() const override;
};

class CYahooFmHtmlProducer : public listing::CHtmlProducer {
 public:
  CYahooFmHtmlProducer();
  const std::string& GetKey() const override;
  const std::string& GetName() const override;
  std::string GetUrl() const override;
};

}  // namespace kanro::sites
