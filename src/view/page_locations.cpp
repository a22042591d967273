#include "view/page_locations.h"

#include "app/paths.h"

namespace kanro::view {

namespace fs = std::filesystem;

fs::path HeaderPagePath(const std::string& entry) { return app::HeadFolder() / (entry + ".htm"); }

fs::path DataPagePath(const std::string& date8, const std::string& entry) {
  return app::DataFolder() / (date8 + entry + ".htm");
}

QUrl PageUrl(const fs::path& path) {
  return QUrl::fromLocalFile(QString::fromStdString(path.lexically_normal().string()));
}

QUrl IndexUrl() { return PageUrl(app::IndexPath()); }

fs::path LocalPathOf(const QUrl& url) {
  if (!url.isLocalFile()) return {};
  const QString local = url.toLocalFile();
  if (local.isEmpty()) return {};
  return fs::path(local.toStdString()).lexically_normal();
}

namespace {

bool SameFile(const fs::path& a, const fs::path& b) {
  return !a.empty() && a.lexically_normal() == b.lexically_normal();
}

// A folder path without its trailing separator.
fs::path FolderOf(const fs::path& folder) {
  fs::path normal = folder.lexically_normal();
  return normal.has_filename() ? normal : normal.parent_path();
}

}  // namespace

ReportedPage ClassifyReport(const FrameReport& report) {
  if (!report.topFrame && report.name == QLatin1String("iepg")) {
    const QString scheme = report.url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) return ReportedPage::HiddenFrameAnswer;
    return ReportedPage::Other;
  }
  const fs::path local = LocalPathOf(report.url);
  if (local.empty()) return ReportedPage::Other;
  if (report.topFrame) return SameFile(local, app::IndexPath()) ? ReportedPage::Frameset : ReportedPage::Other;
  if (report.name != QLatin1String("data")) return ReportedPage::Other;
  // The frames start on the frameset's own "#": only a page in the data
  // folder itself counts.
  if (!SameFile(local.parent_path(), FolderOf(app::DataFolder()))) return ReportedPage::Other;
  if (local.extension() != ".htm") return ReportedPage::Other;
  return ReportedPage::DataPage;
}

}  // namespace kanro::view
