#include "listing/page_lines.h"

#include <cstdio>
#include <cstring>

namespace kanro::listing {

bool ForEachPageLine(const std::filesystem::path& path, const std::function<void(std::string& line)>& onLine) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::string line;
  std::string buffer(65536, '\0');
  // A CR that ended the previous buffer: an LF at the start of this one
  // belongs to it.
  bool afterCr = false;
  size_t got = 0;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
    const char* const data = buffer.data();
    size_t start = 0;
    if (afterCr && data[0] == '\n') start = 1;
    afterCr = false;
    while (start < got) {
      const char* const from = data + start;
      const size_t rest = got - start;
      const void* lf = std::memchr(from, '\n', rest);
      const size_t lfAt = lf ? static_cast<size_t>(static_cast<const char*>(lf) - data) : got;
      // Most pages have no CR at all, or only right before the LF.
      const void* cr = std::memchr(from, '\r', lfAt - start);
      size_t end = lfAt;
      size_t next = lfAt + 1;
      if (cr) {
        end = static_cast<size_t>(static_cast<const char*>(cr) - data);
        next = end + 1;
        if (next == lfAt) ++next;  // CR LF
      } else if (!lf) {
        line.append(from, rest);  // the line goes on in the next buffer
        break;
      }
      line.append(from, end - start);
      if (next >= got && cr && !lf) afterCr = true;  // the CR ended this buffer
      onLine(line);
      line.clear();
      start = next;
    }
  }
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  if (ok && !line.empty()) onLine(line);
  return ok;
}

}  // namespace kanro::listing
