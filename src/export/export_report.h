#pragma once
// What an export did, for the command line and the window to show.
#include <string>
#include <vector>

namespace kanro::exports {

struct ExportReport {
  int pagesRead = 0;
  int pagesFailed = 0;
  int programmesWritten = 0;
  int programmesSkipped = 0;  // cells the reader could not place
  int marksNotFound = 0;      // watch marks without their programme on the page
  int marksWithoutPage = 0;   // watch marks of pages that no longer exist
  bool writeFailed = false;   // the output stream failed
  bool nothingFound = false;  // the range held no page to export
  // One English sentence per problem (failed page, lost programmes, lost mark).
  std::vector<std::string> problems;

  bool ok() const { return pagesFailed == 0 && marksNotFound == 0 && !writeFailed && !nothingFound; }
};

}  // namespace kanro::exports
