#pragma once
// The downloaded listings as one XMLTV document (UTF-8): a <channel> per
// listing entry and column, then every programme of every data page in the
// range. The document is streamed: one page is held at a time.
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "export/export_report.h"

namespace kanro::exports {

struct XmltvExportOptions {
  std::vector<std::string> entries;  // listing entries, e.g. "08GooTv"
  int firstDate = 0;                 // listing date YYYYMMDD
  int days = 0;                      // 0: every downloaded day from firstDate on
  std::filesystem::path dataFolder;  // Data/
  std::filesystem::path headFolder;  // Head/
};

// The programme list of the settings, the current listing date, every
// downloaded day, the folders of the data folder.
XmltvExportOptions DefaultXmltvExportOptions();

// "08GooTv-1.kanro": the channel of the first column of 08GooTv.
std::string XmltvChannelId(const std::string& entry, size_t column);

// Writes the document. Pages that cannot be read are reported and left out;
// false when a page failed or the stream failed (the report says which).
bool ExportXmltv(const XmltvExportOptions& options, std::ostream& out, ExportReport* report);

// The same into a file, replaced only when it was written completely (see
// WriteExportFile).
bool ExportXmltvToFile(const XmltvExportOptions& options, const std::filesystem::path& file, ExportReport* report);

}  // namespace kanro::exports
