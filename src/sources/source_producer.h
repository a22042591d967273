#pragma once
// The producer of a listing source that is not a web page. The source is read
// once per download run (the catalogue lives for one run); each listing day
// is then laid out, merged with the programmes earlier downloads saw of it
// that the source has since forgotten, written as an intermediate page and
// converted by the page composer into the header and data pages.
#include <optional>
#include <string>

#include "listing/html_producer.h"
#include "sources/source_schedule.h"

namespace kanro::sources {

class CSourceHtmlProducer : public listing::CHtmlProducer {
 public:
  explicit CSourceHtmlProducer(std::string_view key);

  const std::string& GetKey() const override { return m_key; }
  const std::string& GetName() const override { return m_name; }
  bool Produce() override;
  // Watch IDs come from the service and event, or the channel and start.
  bool WatchIdsFollowProgrammes() const override { return true; }

  // Programmes the last read of the source left out (bad or repeated ones).
  int RejectedProgrammes() const { return m_schedule ? m_schedule->rejected : 0; }

 protected:
  // Reads the whole schedule. On failure either reason (UTF-8) says why, or
  // it is empty because a request already failed with its own reason.
  virtual bool LoadSchedule(SourceSchedule* schedule, std::string* reason) = 0;

 private:
  bool Load();

  std::string m_key;
  std::string m_name;  // CP932
  std::optional<SourceSchedule> m_schedule;
  std::string m_loadedFrom;  // GetUrl when it was read
};

}  // namespace kanro::sources
