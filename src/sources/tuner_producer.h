#pragma once
// The listing types of a tuner server, one per broadcast kind: TunerGr,
// TunerBs and TunerCs. The server's base address is "URL"/"Tuner" (default
// http://localhost:40772/); the services come from /api/services, the
// programmes of each of their networks from /api/programs?networkId=N.
#include "sources/source_producer.h"
#include "sources/tuner_answer.h"

namespace kanro::sources {

inline constexpr char kDefaultTunerUrl[] = "http://localhost:40772/";

// The base address from the settings, ending in "/".
std::string TunerBaseUrl();

class CTunerHtmlProducer : public CSourceHtmlProducer {
 public:
  explicit CTunerHtmlProducer(BroadcastKind kind);
  std::string GetUrl() const override { return TunerBaseUrl(); }

 protected:
  bool LoadSchedule(SourceSchedule* schedule, std::string* reason) override;

 private:
  // The answer at base + path, or nothing after a failed request.
  std::optional<std::string> Answer(const std::string& path, std::string* reason);

  BroadcastKind m_kind;
};

}  // namespace kanro::sources
