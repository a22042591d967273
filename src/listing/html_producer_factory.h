#pragma once
// The catalogue of the listing types: one producer per type, in the fixed
// order of kListingTypes, whose positions are the type indexes used elsewhere.
#include <memory>
#include <string_view>
#include <vector>

#include "listing/html_producer.h"

namespace kanro::listing {

class CHtmlProducerFactory {
 public:
  // Creates the producers (each reads its settings and rewrite rules).
  CHtmlProducerFactory();
  virtual ~CHtmlProducerFactory();
  CHtmlProducerFactory(const CHtmlProducerFactory&) = delete;
  CHtmlProducerFactory& operator=(const CHtmlProducerFactory&) = delete;

  // The producer whose key equals key exactly (case-sensitive), or null. The
  // catalogue keeps ownership.
  CHtmlProducer* Find(std::string_view key) const;

  // Index = type index (0 GooTv, 1 GooBsDisital, 2 GooUhfBs, 3 YahooAm, 4 YahooFm,
  // 5 TunerGr, 6 TunerBs, 7 TunerCs, 8 Xmltv).
  std::vector<std::unique_ptr<CHtmlProducer>> m_producers;
};

}  // namespace kanro::listing
