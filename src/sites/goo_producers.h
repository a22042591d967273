#pragma once
// The three listing types of the goo listing site: terrestrial, BS digital and
// UHF/BS analog television. Each converts its pages with CGooHtmlCreater.
#include <string>

#include "listing/html_producer.h"

namespace kanro::sites {

class CGooTvHtmlProducer : public listing::CHtmlProducer {
 public:
  CGooTvHtmlProducer();
  const std::string& GetKey() const override;
  const std::string& GetName() const override;
  std::string GetUrl() const override;
};

class CGooBsDisitalHtmlProducer : public listing::CHtmlProducer {
 public:
  CGooBsDisitalHtmlProducer();
  const std::string& GetKey() const override;
  const std::string& GetName() const override;
  std::string GetUrl() const override;
};

class CGooUhfBsHtmlProducer : public listing::CHtmlProducer {
 public:
  CGooUhfBsHtmlProducer();
  const std::string& GetKey() const override;
  const std::string& GetName() const override;
  std::string GetUrl() const override;
};

}  // namespace kanro::sites
