#pragma once
// Marks the network as busy (g_pNetBusy) for the life of one worker's job.
#include <memory>

#include "app/messages.h"

namespace kanro::app {

class NetBusyMarker {
 public:
  NetBusyMarker() : marker_(std::make_unique<char>(0)) { g_pNetBusy.store(marker_.get()); }
  // Clears only the marker this job set: a job started from this one's final
  // message may already own a new one.
  ~NetBusyMarker() {
    void* expected = marker_.get();
    g_pNetBusy.compare_exchange_strong(expected, nullptr);
  }
  NetBusyMarker(const NetBusyMarker&) = delete;
  NetBusyMarker& operator=(const NetBusyMarker&) = delete;

 private:
  std::unique_ptr<char> marker_;
};

}  // namespace kanro::app
