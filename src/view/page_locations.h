#pragma once
// Where the pages the view shows live and how they are addressed: local paths
// in the data folder and the file URLs built from them (percent-encoded by
// QUrl, so spaces, "#" and Japanese folder names are safe). Which page a load
// report is about is decided from these URLs and the reporting frame, never
// from substrings of the address.
#include <QString>
#include <QUrl>

#include <filesystem>
#include <string>

namespace kanro::view {

// Header folder + entry + ".htm".
std::filesystem::path HeaderPagePath(const std::string& entry);
// Data folder + date + entry + ".htm".
std::filesystem::path DataPagePath(const std::string& date8, const std::string& entry);

// The file URL of a local path.
QUrl PageUrl(const std::filesystem::path& path);
// The frameset page's URL (m_strIndexUrl).
QUrl IndexUrl();

// The local path of a file URL (no fragment or query), or empty.
std::filesystem::path LocalPathOf(const QUrl& url);

// What a frame reported when its document became ready.
struct FrameReport {
  bool topFrame = false;
  QString name;   // window.name of the frame
  QUrl url;       // its address, with any fragment
  QString title;  // document.title
  bool reload = false;  // the document was reloaded, not newly navigated to
};

enum class ReportedPage {
  Frameset,  // the top document is index.htm of the data folder
  DataPage,  // frame "data" holds a page directly inside the data folder
  HiddenFrameAnswer,  // frame "iepg" holds a remote answer (a watch notification, an iEPG file)
  Other,     // anything else (the frames' first "#", the header, about:blank)
};

ReportedPage ClassifyReport(const FrameReport& report);

}  // namespace kanro::view
