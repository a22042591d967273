#include "listing/html_producer_factory.h"

#include "sites/goo_producers.h"
#include "sites/yahoo_producers.h"
#include "sources/tuner_producer.h"
#include "sources/xmltv_producer.h"

namespace kanro::listing {

CHtmlProducerFactory::CHtmlProducerFactory() {
  m_producers.push_back(std::make_unique<sites::CGooTvHtmlProducer>());
  m_producers.push_back(std::make_unique<sites::CGooBsDisitalHtmlProducer>());
  m_producers.push_back(std::make_unique<sites::CGooUhfBsHtmlProducer>());
  m_producers.push_back(std::make_unique<sites::CYahooAmHtmlProducer>());
  m_producers.push_back(std::make_unique<sites::CYahooFmHtmlProducer>());
  m_producers.push_back(std::make_unique<sources::CTunerHtmlProducer>(sources::BroadcastKind::Terrestrial));
  m_producers.push_back(std::make_unique<sources::CTunerHtmlProducer>(sources::BroadcastKind::Bs));
  m_producers.push_back(std::make_unique<sources::CTunerHtmlProducer>(sources::BroadcastKind::Cs));
  m_producers.push_back(std::make_unique<sources::CXmltvHtmlProducer>());
}

CHtmlProducerFactory::~CHtmlProducerFactory() {
  // Destroyed in vector order.
  for (auto& producer : m_producers) producer.reset();
}

CHtmlProducer* CHtmlProducerFactory::Find(std::string_view key) const {
  for (const auto& producer : m_producers)
    if (producer->GetKey() == key) return producer.get();
  return nullptr;
}

}  // namespace kanro::listing
