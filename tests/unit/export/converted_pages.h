#pragma once
// Sample pages of the generator turned into our own header and data pages by
// the real site converters, with the rewrite rules and settings a test sets.
#include <filesystem>
#include <memory>
#include <string>

#include "app/paths.h"
#include "app/settings_store.h"
#include "listing/html_creater.h"
#include "sites/goo_html_creater.h"
#include "sites/sample_pages.h"
#include "sites/yahoo_html_creater.h"
#include "support/temp_dir.h"
#include "text/codepage.h"

namespace kanro::exports {

// The two rules start-up writes into Replace.txt.
inline std::string DefaultRules() {
  return "alt=\".*?\"\t\t1\r\n" +
         text::Utf8ToCp932("shinban.gif.*?>(.*?)</strong>..*?</a>\t$0<span style=\"display: none;\">【新】$1</span>\t1\r\n");
}

struct ConvertedPages {
  std::filesystem::path head;
  std::filesystem::path data;
};

// Converts the generated page in the data folder (Replace.txt and the
// settings are read by the converter as it is made).
inline ConvertedPages ConvertSample(const sites::SamplePageOptions& options, const std::string& name = "page") {
  const std::filesystem::path folder = app::DataDir();
  const std::filesystem::path downloaded = folder / (name + ".download");
  sites::WriteSamplePage(downloaded, options);
  std::unique_ptr<listing::CHtmlCreater> creater;
  if (sites::IsGooSampleType(options.typeKey)) {
    creater = std::make_unique<sites::CGooHtmlCreater>();
  } else {
    creater = std::make_unique<sites::CYahooHtmlCreater>();
  }
  ConvertedPages pages{folder / (name + ".head.htm"), folder / (name + ".data.htm")};
  std::filesystem::remove(pages.head);
  creater->CreateHead(downloaded, pages.head);
  creater->CreateData(downloaded, pages.data, "title");
  return pages;
}

// A title as it comes back from a CP932 page: characters CP932 lacks are lost.
inline std::string ThroughCp932(const std::string& utf8) { return text::Cp932ToUtf8(text::Utf8ToCp932(utf8)); }

}  // namespace kanro::exports
