#pragma once
// The listing type Xmltv: an XMLTV file at a path or an http/https address
// ("URL"/"Xmltv"), one file for all days, read as a stream. "Xmltv"/"Channels"
// (a comma list of channel ids) keeps only those channels, so one big file
// can feed one entry.
#include "sources/source_producer.h"

namespace kanro::sources {

class CXmltvHtmlProducer : public CSourceHtmlProducer {
 public:
  CXmltvHtmlProducer() : CSourceHtmlProducer("Xmltv") {}
  std::string GetUrl() const override;

 protected:
  bool LoadSchedule(SourceSchedule* schedule, std::string* reason) override;
};

}  // namespace kanro::sources
