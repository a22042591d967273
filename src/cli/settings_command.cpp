// kanro-cli settings: reads and changes the stored settings. Text arrives and
// leaves in UTF-8 and is stored as CP932, as the program stores it.
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <termios.h>
#include <unistd.h>
#endif

#include "app/settings_store.h"
#include "cli/cli_command.h"
#include "net/blowfish.h"
#include "text/codepage.h"

namespace kanro::cli {
namespace {

int RunSettings(std::vector<std::string>& args);

const CliCommand kSettingsCommand{
    "settings",
    "settings list\n"
    "settings get SECTION KEY\n"
    "settings set [--int] SECTION KEY VALUE\n"
    "settings set-proxy-password   (reads the password from standard input or a prompt)\n"
    "settings delete SECTION KEY",
    "list, read, change or delete stored settings",
    RunSettings,
};

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex.push_back(kDigits[c >> 4]);
    hex.push_back(kDigits[c & 15]);
  }
  return hex;
}

// One list line per value, so tabs, line ends and backslashes in a value are
// written as \t, \n, \r and \\.
std::string EscapeForList(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\\': out += "\\\\"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

// Sections and keys are printable ASCII without '/' or '\'.
bool ValidName(const std::string& name) {
  if (name.empty()) return false;
  for (unsigned char c : name)
    if (c < 0x21 || c > 0x7E || c == '/' || c == '\\') return false;
  return true;
}

// The proxy password is stored enciphered and never shown.
constexpr const char* kPasswordSection = "Network";
constexpr const char* kPasswordKey = "ProxyPass";
constexpr const char* kHiddenValue = "(set)";

bool SameName(const std::string& a, const char* b) {
  std::string lower(b);
  if (a.size() != lower.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(lower[i])))
      return false;
  return true;
}

bool IsProxyPassword(const std::string& section, const std::string& key) {
  return SameName(section, kPasswordSection) && SameName(key, kPasswordKey);
}

bool ParseInt(const std::string& text, int* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long long number = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || number < INT_MIN || number > INT_MAX) return false;
  *value = static_cast<int>(number);
  return true;
}

bool IsStored(const std::string& section, const std::string& key) {
  for (const std::string& name : app::ListProfileKeys(section.c_str()))
    if (name == key) return true;
  return false;
}

int List() {
  for (const app::ProfileValue& value : app::ListProfileValues()) {
    const char* type = "string";
    std::string text;
    switch (value.type) {
      case app::ProfileValue::Type::Int: type = "int"; text = value.text; break;
      case app::ProfileValue::Type::Binary: type = "binary"; text = Hex(value.text); break;
      case app::ProfileValue::Type::String: text = EscapeForList(text::Cp932ToUtf8(value.text)); break;
    }
    if (IsProxyPassword(value.section, value.key)) text = kHiddenValue;
    // Names from a hand-edited file may hold tabs or line ends too.
    std::printf("%s\t%s\t%s\t%s\n", EscapeForList(value.section).c_str(), EscapeForList(value.key).c_str(), type,
                text.c_str());
  }
  return 0;
}

int Get(const std::string& section, const std::string& key) {
  if (!IsStored(section, key)) {
    std::fprintf(stderr, "kanro-cli settings: %s/%s is not set\n", section.c_str(), key.c_str());
    return 1;
  }
  if (IsProxyPassword(section, key)) {
    std::printf("%s\n", kHiddenValue);
  } else if (auto bytes = GetProfileBinary(section.c_str(), key.c_str())) {
    std::printf("%s\n", Hex(*bytes).c_str());
  } else {
    std::string value = text::Cp932ToUtf8(GetProfileString(section.c_str(), key.c_str()));
    std::fwrite(value.data(), 1, value.size(), stdout);
    std::fputc('\n', stdout);
  }
  return 0;
}

int Set(bool asInt, const std::string& section, const std::string& key, const std::string& value) {
  if (IsProxyPassword(section, key)) {
    std::fprintf(stderr,
                 "kanro-cli settings: %s/%s holds the enciphered proxy password and cannot be set as plain text; "
                 "use \"kanro-cli settings set-proxy-password\", which reads it from standard input or a prompt\n",
                 kPasswordSection, kPasswordKey);
    return 2;
  }
  bool stored = false;
  if (asInt) {
    int number = 0;
    if (!ParseInt(value, &number)) return UsageError(kSettingsCommand, "not a 32-bit integer: " + value);
    stored = WriteProfileInt(section.c_str(), key.c_str(), number);
  } else {
    std::string cp932 = text::Utf8ToCp932(value);
    if (text::Cp932ToUtf8(cp932) != value)
      std::fprintf(stderr, "kanro-cli settings: characters CP932 cannot hold were stored as \"?\"\n");
    stored = WriteProfileString(section.c_str(), key.c_str(), cp932);
  }
  if (!stored) {
    std::fprintf(stderr, "kanro-cli settings: cannot write %s\n", app::ProfileLocation().c_str());
    return 1;
  }
  return 0;
}

// One line from standard input, without its line end; false when there was
// nothing to read at all.
bool ReadLine(std::string* line) {
  if (!std::getline(std::cin, *line) && line->empty()) return false;
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return true;
}

// The password: on a terminal after a prompt, with the typing not echoed;
// otherwise the first line of standard input.
bool ReadPassword(std::string* password) {
#ifndef _WIN32
  if (isatty(0) != 0) {
    std::fprintf(stderr, "Proxy password: ");
    std::fflush(stderr);
    termios saved{};
    const bool quiet = tcgetattr(0, &saved) == 0;
    if (quiet) {
      termios silent = saved;
      silent.c_lflag &= static_cast<tcflag_t>(~ECHO);
      silent.c_lflag |= ECHONL;  // the Enter still moves to the next line
      tcsetattr(0, TCSAFLUSH, &silent);
    }
    const bool read = ReadLine(password);
    if (quiet) tcsetattr(0, TCSAFLUSH, &saved);
    return read;
  }
#endif
  return ReadLine(password);
}

int SetProxyPassword() {
  std::string password;
  if (!ReadPassword(&password)) {
    std::fprintf(stderr, "kanro-cli settings: no password was given (standard input was empty)\n");
    return 1;
  }
  const std::string cp932 = text::Utf8ToCp932(password);
  if (text::Cp932ToUtf8(cp932) != password || cp932.find('\0') != std::string::npos) {
    std::fprintf(stderr, "kanro-cli settings: the password holds characters CP932 cannot hold; nothing was stored\n");
    return 1;
  }
  // An empty password is stored as no value: no credentials are sent.
  if (!WriteProfileBinary(kPasswordSection, kPasswordKey, net::EncipherProxyPassword(cp932))) {
    std::fprintf(stderr, "kanro-cli settings: cannot write %s\n", app::ProfileLocation().c_str());
    return 1;
  }
  std::printf(cp932.empty() ? "proxy password removed\n" : "proxy password stored\n");
  return 0;
}

int Delete(const std::string& section, const std::string& key) {
  if (!IsStored(section, key)) return 0;
  if (!WriteProfileString(section.c_str(), key.c_str(), static_cast<const char*>(nullptr))) {
    std::fprintf(stderr, "kanro-cli settings: cannot write %s\n", app::ProfileLocation().c_str());
    return 1;
  }
  return 0;
}

int RunSettings(std::vector<std::string>& args) {
  if (args.empty()) return UsageError(kSettingsCommand, "missing action");
  const std::string action = args[0];
  std::vector<std::string> words(args.begin() + 1, args.end());
  bool asInt = false;
  if (action == "set" && !words.empty() && words[0] == "--int") {
    asInt = true;
    words.erase(words.begin());
  }

  size_t wanted = 0;
  if (action == "list" || action == "set-proxy-password") wanted = 0;
  else if (action == "get" || action == "delete") wanted = 2;
  else if (action == "set") wanted = 3;
  else return UsageError(kSettingsCommand, "unknown action " + action);
  if (words.size() != wanted) return UsageError(kSettingsCommand, "wrong number of arguments for " + action);
  if (wanted >= 2 && (!ValidName(words[0]) || !ValidName(words[1])))
    return UsageError(kSettingsCommand, "SECTION and KEY are ASCII names without spaces, '/' or '\\'");

  // Start-up tasks first, as the program runs them (retention removes watch
  // marks); the settings live outside the data folder, so one that is full
  // or read-only does not stop them.
  PrepareDataFolderIfWritable(kSettingsCommand);
  if (action == "list") return List();
  if (action == "get") return Get(words[0], words[1]);
  if (action == "set") return Set(asInt, words[0], words[1], words[2]);
  if (action == "set-proxy-password") return SetProxyPassword();
  return Delete(words[0], words[1]);
}

}  // namespace

KANRO_CLI_COMMAND(settings, kSettingsCommand);

}  // namespace kanro::cli
