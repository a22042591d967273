// kanro: the desktop programme guide.
#include <QApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/auto_download.h"
#include "app/paths.h"
#include "app/startup.h"
#include "frame/message_box_notifier.h"
#include "frame/single_instance.h"

namespace {

// Brings the window back when a later start asks for it.
void RestoreAndActivate(QMainWindow& window) {
  const bool wasMinimized = window.isMinimized();
  if (wasMinimized) window.showNormal();
  else window.show();
  window.raise();
  window.activateWindow();
  // Tests follow activations through this file; nothing is written without it.
  QByteArray log = qgetenv("KANRO_ACTIVATION_LOG");
  if (!log.isEmpty()) {
    if (std::FILE* file = std::fopen(log.constData(), "a")) {
      std::fputs(wasMinimized ? (window.isMinimized() ? "still minimized\n" : "restored\n") : "activated\n", file);
      std::fclose(file);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kanro;
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kanro"));
  QApplication::setOrganizationName(QStringLiteral("Tsuki"));

  std::vector<std::string> args;
  const QStringList arguments = QApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) args.push_back(arguments[i].toStdString());

  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Kanro"));
  window.resize(1000, 700);

  frame::SingleInstance instance(QFileInfo(QApplication::applicationFilePath()).completeBaseName());
  if (!instance.TryBecomePrimary([&window] { RestoreAndActivate(window); })) {
    instance.ActivatePrimary();
    return 0;
  }

  app::SetDataDir(app::ResolveDataDir(args, argc > 0 ? argv[0] : nullptr));
  std::string reason;
  if (!app::PrepareDataFolder(&reason)) {
    std::fprintf(stderr, "kanro: %s\n", reason.c_str());
    QMessageBox::critical(nullptr, QStringLiteral("Kanro"),
                          QStringLiteral("データフォルダーに書き込めないため、Kanro を起動できません。\n\n") +
                              QString::fromStdString(reason));
    return 1;
  }

  frame::MessageBoxNotifier notifier(&window);
  app::SetNotifier(&notifier);

  // Only an argument that is exactly "/d" or "--download" starts the
  // unattended download; paths such as /data/x do not.
  app::m_bAutoDownload = app::HasDownloadSwitch(args);
  if (app::m_bAutoDownload) window.showMinimized();
  else window.show();

  int result = application.exec();
  app::SetNotifier(nullptr);
  return result;
}
