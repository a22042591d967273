#include "app/keyword_list.h"

#include "app/paths.h"
#include "text/text_file.h"

namespace kanro::app {

void LoadKeywords(std::vector<std::string>& keywords) {
  keywords.clear();
  text::ForEachLine(KeywordsPath(), [&](std::string& line) {
    keywords.push_back(std::move(line));
    return true;
  });
}

bool SaveKeywords(const std::vector<std::string>& keywords) {
  return text::WriteLines(KeywordsPath(), keywords);
}

}  // namespace kanro::app
