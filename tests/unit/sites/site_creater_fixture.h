#pragma once
// Shared set-up for the site converter tests: a temporary data folder with the
// default rewrite rules, the two settings that change the pages, page
// skeletons written out byte for byte, and an EUC-JP encoder for goo pages.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <vector>

#include "app/paths.h"
#include "app/settings_store.h"
#include "support/expected_pages.h"
#include "support/temp_dir.h"
#include "text/codepage.h"

namespace kanro::sites {

// UTF-8 test text to the CP932 the pages are written in.
inline std::string Sjis(const std::string& utf8) { return text::Utf8ToCp932(utf8); }

// UTF-8 to EUC-JP through the system's converter, independent of the code
// under test.
inline std::string EucJp(const std::string& utf8) {
  iconv_t cd = iconv_open("EUC-JP", "UTF-8");
  std::string out(utf8.size() * 3 + 16, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  EXPECT_NE(result, static_cast<size_t>(-1)) << "not EUC-JP text: " << utf8;
  out.resize(out.size() - outLeft);
  return out;
}

using test::DataPage;
using test::HeadPage;

// RemoveAnchor and GCode, the two settings that change a converted page.
struct PageSettings {
  bool removeAnchor;
  bool gcode;
};

// Names the instantiations RemoveAnchor0_GCode1 and so on.
struct PageSettingsName {
  std::string operator()(const testing::TestParamInfo<PageSettings>& param) const {
    return std::string("RemoveAnchor") + (param.param.removeAnchor ? "1" : "0") + "_GCode" +
           (param.param.gcode ? "1" : "0");
  }
};

inline auto AllPageSettings() {
  return testing::Values(PageSettings{false, false}, PageSettings{false, true}, PageSettings{true, false},
                         PageSettings{true, true});
}

class SiteCreaterTest : public testing::TestWithParam<PageSettings> {
 protected:
  void SetUp() override {
    app::SetDataDir(dir_.path());
    // The two default rules, as start-up writes them.
    test::WriteAll(app::RulesPath(),
                   "alt=\".*?\"\t\t1\r\n" +
                       Sjis("shinban.gif.*?>(.*?)</strong>..*?</a>\t$0<span style=\"display: none;\">【新】$1</span>\t1\r\n"));
    WriteProfileInt("Download", "RemoveAnchor", GetParam().removeAnchor ? 1 : 0);
    WriteProfileInt("Download", "GCode", GetParam().gcode ? 1 : 0);
  }
  void TearDown() override { app::DeleteAllProfileValues(); }

  // Writes the downloaded page from lines already in the site's encoding,
  // with LF and CR LF line ends mixed.
  std::filesystem::path WriteDownload(const std::vector<std::string>& lines, const std::string& name = "tv0001.tmp") {
    std::string bytes;
    for (size_t i = 0; i < lines.size(); ++i) bytes += lines[i] + (i % 2 ? "\r\n" : "\n");
    test::WriteAll(dir_ / name, bytes);
    return dir_ / name;
  }

  test::TempDir dir_;
  const std::string title_ = Sjis("3/9（水）北海道【地上波】");
};

}  // namespace kanro::sites
