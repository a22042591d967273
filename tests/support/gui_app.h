#pragma once
// One QApplication for a GUI test program, created on first use with the
// "prp" scheme registered before it, and a data folder with the shipped files.
#include <QApplication>

#include <cstdlib>
#include <filesystem>

#include "app/paths.h"
#include "app/startup.h"
#include "frame/ui/japanese_locale.h"
#include "view/ui/prp_scheme.h"

namespace kanro::test {

inline QApplication& GuiApplication() {
  static int argc = 1;
  static char name[] = "kanro-gui-test";
  static char* argv[] = {name, nullptr};
  static QApplication* application = [] {
    kanro::view::RegisterPrpScheme();
    auto* app = new QApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kanro"));
    QApplication::setOrganizationName(QStringLiteral("Tsuki"));
    kanro::frame::UseJapanese(*app);
    return app;
  }();
  return *application;
}

// Points the program at a data folder and creates its default files; the
// shipped stylesheet and images come from the build folder.
inline bool UseDataFolder(const std::filesystem::path& dir) {
  if (const char* bin = std::getenv("KANRO_BIN_DIR")) kanro::app::SetShippedDir(bin);
  kanro::app::SetDataDir(dir);
  std::string reason;
  return kanro::app::PrepareDataFolder(&reason);
}

}  // namespace kanro::test
