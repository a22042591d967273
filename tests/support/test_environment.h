#pragma once
// What the machine running the tests offers, asked in one place, so that a
// test needing something missing skips with the same words everywhere.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kanro::test {

// Root can write into read-only folders and mount file systems.
inline bool RunsAsRoot() { return ::geteuid() == 0; }

// A program at this path that can be run.
inline bool IsInstalled(const std::filesystem::path& program) { return ::access(program.c_str(), X_OK) == 0; }

// The source tree (KANRO_SOURCE_DIR, which CTest sets); empty outside CTest.
inline std::filesystem::path SourceDir() {
  const char* source = std::getenv("KANRO_SOURCE_DIR");
  return source ? std::filesystem::path(source) : std::filesystem::path();
}

// Debian's own Python, which has the parser and calendar modules the tests
// read written files with (another python3 on PATH may lack them).
inline const char* kDebianPython = "/usr/bin/python3";

}  // namespace kanro::test
