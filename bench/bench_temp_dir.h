#pragma once
// A fresh folder under the system's temporary folder for one benchmark run.
// The benchmarks that build without the test library use it too.
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace kanro::bench {

inline std::filesystem::path MakeTempDir(const char* prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
  if (!mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    std::exit(2);
  }
  return pattern;
}

}  // namespace kanro::bench
