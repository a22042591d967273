#pragma once
// Runs a test in a time zone given as a POSIX TZ string ("JST-9"), restoring
// the zone the process had when the object goes.
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace kanro::test {

class ScopedTimeZone {
 public:
  ScopedTimeZone() = default;
  explicit ScopedTimeZone(const char* zone) { Use(zone); }
  ~ScopedTimeZone() {
    if (!saved_) return;
    if (*saved_) setenv("TZ", (*saved_)->c_str(), 1); else unsetenv("TZ");
    tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

  void Use(const char* zone) {
    if (!saved_) {
      const char* old = std::getenv("TZ");
      saved_ = old ? std::optional<std::string>(old) : std::nullopt;
    }
    setenv("TZ", zone, 1);
    tzset();
  }

 private:
  // Outer: whether the zone was changed; inner: the old TZ, if it was set.
  std::optional<std::optional<std::string>> saved_;
};

}  // namespace kanro::test
