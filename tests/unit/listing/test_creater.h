#pragma once
// A minimal converter for composer and rule tests: a line is a listing line
// unless it starts with "-", and the line containing "END" starts the body.
#include <string>
#include <vector>

#include "listing/html_creater.h"

namespace kanro::listing {

class TestCreater : public CHtmlCreater {
 public:
  // Runs the base conversion (white space, user rules) over one CP932 line.
  std::string Convert(const std::string& line) {
    m_line = line;
    ConvertLine();
    return m_line;
  }
  // Every line IsTarget saw, in order.
  std::vector<std::string> seen;

 protected:
  bool IsTarget() override {
    seen.push_back(m_line);
    return m_line[0] != '-';
  }
  bool IsHeadEnd() override { return m_line.find("END") != std::string::npos; }
};

}  // namespace kanro::listing
