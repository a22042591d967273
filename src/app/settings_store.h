#pragma once
// The one settings store. Per-user values under "Tsuki"/"Kanro" (the registry
// on Windows, $XDG_CONFIG_HOME/Tsuki/Kanro.conf on Linux), read where they are
// used with the default given at that read; there is no cache. Strings are
// CP932 bytes and come back exactly as written. Safe to call from the UI thread
// and a worker at once; every write reaches disk atomically.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A value that is absent, or not an integer in signed 32-bit range, yields the
// default.
int GetProfileInt(const char* section, const char* key, int defaultValue);
std::string GetProfileString(const char* section, const char* key, const std::string& defaultValue = {});
// Nothing when the value is absent or is not a binary value.
std::optional<std::string> GetProfileBinary(const char* section, const char* key);

// Each returns false when the value could not be stored.
bool WriteProfileInt(const char* section, const char* key, int value);
// A null text deletes the value.
bool WriteProfileString(const char* section, const char* key, const char* value);
bool WriteProfileString(const char* section, const char* key, const std::string& value);
// An empty write deletes the value.
bool WriteProfileBinary(const char* section, const char* key, const std::string& bytes);

namespace kanro::app {

// One stored value, for listings such as `kanro-cli settings list`.
struct ProfileValue {
  enum class Type { Int, String, Binary };
  std::string section;
  std::string key;
  Type type = Type::String;
  std::string text;  // CP932 for strings, the decimal number for ints, raw bytes for binary
};

// Every stored value, sections and keys in sorted order.
std::vector<ProfileValue> ListProfileValues();
// Names of the keys of one section, sorted.
std::vector<std::string> ListProfileKeys(const char* section);
// Removes the named values of one section in a single write; names that are
// not stored are skipped.
bool DeleteProfileValues(const char* section, const std::vector<std::string>& keys);
// Removes one section with all its values.
bool DeleteProfileSection(const char* section);
// Removes all of the program's values (the reset command).
bool DeleteAllProfileValues();
// Where the values live, for messages and the README.
std::string ProfileLocation();

// Keeps the values of this process under another application name beside
// "Kanro" ("Tsuki"/name), so a separate profile such as the demo's never
// touches the user's values. Takes effect at the next read or write; an empty
// name or one with a path separator is refused (false).
bool SetSettingsApplicationName(const std::string& name);

}  // namespace kanro::app
