#pragma once
// The downloaded listings as one XMLTV document (UTF-8): a <channel> per
// listing entry and station, then every programme of every data page in the
// range. The document is streamed: one page is held at a time.
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "export/export_report.h"

namespace kanro::exports {

struct XmltvExportOptions {
  std::vector<std::string> entries;  // listing entries, e.g. "08GooTv", in the order wanted
  // Also every other listing entry that has pages in the range (after those
  // of entries); false exports only entries.
  bool otherEntries = false;
  int firstDate = 0;                 // listing date YYYYMMDD
  int days = 0;                      // 0: every downloaded day from firstDate on
  std::filesystem::path dataFolder;  // Data/
  std::filesystem::path headFolder;  // Head/
};

// Every entry with pages (the programme list of the settings first), the
// current listing date, every downloaded day, the folders of the data folder.
XmltvExportOptions DefaultXmltvExportOptions();

// Writes the document. Pages that cannot be read are reported and left out;
// false when a page failed or the stream failed (the report says which), and
// when the range holds no page at all (report.nothingFound; the document is
// still a valid, empty one).
bool ExportXmltv(const XmltvExportOptions& options, std::ostream& out, ExportReport* report);

// The same into a file, replaced only when it was written completely (see
// WriteExportFile); when the range holds no page the file is not touched.
bool ExportXmltvToFile(const XmltvExportOptions& options, const std::filesystem::path& file, ExportReport* report);

}  // namespace kanro::exports
