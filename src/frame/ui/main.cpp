// kanro: the desktop programme guide.
#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QStatusBar>

#include <csignal>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/auto_download.h"
#include "app/paths.h"
#include "app/startup.h"
#include "demo/demo_profile.h"
#include "demo/demo_server.h"
#include "frame/ui/hand_over.h"
#include "frame/ui/japanese_locale.h"
#include "frame/ui/main_frame.h"
#include "frame/ui/message_box_notifier.h"
#include "frame/ui/on_screen.h"
#include "frame/ui/single_instance.h"
#include "frame/ui/stop_closing.h"
#include "frame/ui/stop_signal_watcher.h"
#include "view/ui/prp_scheme.h"

namespace {

// Brings the window back when a later start asks for it.
void RestoreAndActivate(kanro::frame::CMainFrame& window) {
  const bool wasMinimized = window.isMinimized();
  if (wasMinimized) window.showNormal();
  else window.show();
  window.raise();
  window.activateWindow();
  window.UserRestoredWindow();
  // Tests follow activations through this file; nothing is written without it.
  QByteArray log = qgetenv("KANRO_ACTIVATION_LOG");
  if (!log.isEmpty()) {
    if (std::FILE* file = std::fopen(log.constData(), "a")) {
      std::fputs(wasMinimized ? (window.isMinimized() ? "still minimized\n" : "restored\n") : "activated\n", file);
      std::fclose(file);
    }
  }
}

// Removes a flag from the arguments; true when it was there.
bool TakeFlag(std::vector<std::string>& args, const std::string& flag) {
  auto it = std::find(args.begin(), args.end(), flag);
  if (it == args.end()) return false;
  args.erase(it);
  return true;
}

// A start that cannot go on: a box for the user, a line on stderr for scripts
// (and only the line when nobody watches an unattended start).
int FailStart(const QString& text, bool unattended) {
  std::fprintf(stderr, "kanro: %s\n", text.toUtf8().constData());
  if (!unattended) QMessageBox::critical(nullptr, QStringLiteral("Kanro"), text);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kanro;
  // Past a file-size limit (ulimit -f) a write then fails with EFBIG and takes
  // the ordinary "cannot write" path instead of killing the program.
  std::signal(SIGXFSZ, SIG_IGN);
  view::RegisterPrpScheme();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kanro"));
  QApplication::setOrganizationName(QStringLiteral("Tsuki"));
  frame::UseJapanese(application);

  std::vector<std::string> args;
  const QStringList arguments = QApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) args.push_back(arguments[i].toStdString());

  // The demo keeps its own settings, data folder and instance, so it never
  // meets the user's real programme guide.
  const bool demoMode = TakeFlag(args, "--demo");
  if (demoMode) demo::UseDemoSettingsProfile();

  // Only an argument that is exactly "/d" or "--download" starts the
  // unattended download; paths such as /data/x do not.
  const bool unattended = app::HasDownloadSwitch(args);

  std::unique_ptr<frame::CMainFrame> window;
  bool windowReady = false;  // its first update has begun
  QString instanceName = QFileInfo(QApplication::applicationFilePath()).completeBaseName();
  if (demoMode) instanceName += QStringLiteral("-demo");
  frame::SingleInstance instance(instanceName);
  const bool primary = instance.TryBecomePrimary([&window, &windowReady](frame::HandOverRequest request) -> QByteArray {
    if (request == frame::HandOverRequest::Download)
      return window && windowReady ? frame::StartHandedOverDownload(*window) : frame::kDownloadRefused;
    if (window) RestoreAndActivate(*window);
    return "activated";
  });
  if (!primary) {
    // "/d" makes the running window download; this process downloads nothing.
    if (unattended) return frame::ReportHandedOverDownload(instance.HandOver(frame::HandOverRequest::Download));
    instance.HandOver(frame::HandOverRequest::Activate);
    return 0;
  }

  app::SetDataDir(demoMode ? demo::ResolveDemoDataDir(args) : app::ResolveDataDir(args, argc > 0 ? argv[0] : nullptr));
  std::string reason;
  if (!app::PrepareDataFolder(&reason)) {
    return FailStart(QStringLiteral("データフォルダーに書き込めないため、Kanro を起動できません。\n\n") +
                         QString::fromStdString(reason),
                     unattended);
  }

  demo::DemoServer demoServer;
  if (demoMode) {
    std::string error;
    if (!demoServer.Start(0, &error))
      return FailStart(QStringLiteral("デモ用のサーバーを起動できません。\n\n") + QString::fromStdString(error),
                       unattended);
    demo::PointAtServer(demoServer);
    demo::PresetFirstStart();
  }

  app::m_bAutoDownload = unattended;
  frame::MainFrameOptions options;
  options.unattended = unattended;
  options.demo = demoMode;
  window = std::make_unique<frame::CMainFrame>(options);

  frame::MessageBoxNotifier notifier(window.get());
  frame::CMainFrame* frame = window.get();
  notifier.SetUnattended([frame] { return frame->Unattended(); },
                         [frame](const QString& text) { frame->statusBar()->showMessage(text); });
  app::SetNotifier(&notifier);

  // A stop signal closes the window as the user would, dialogs first.
  frame::CStopClosing stopClosing(*frame);
  frame::CStopSignalWatcher stopSignals([&stopClosing] { stopClosing.Stop(); });

  if (unattended) {
    window->showMinimized();
    windowReady = true;
    window->OnInitialUpdate();
  } else {
    window->show();
    // The first-start settings sheet opens above the window, once it is up.
    frame::RunWhenOnScreen(*frame, [frame, &stopClosing, &windowReady] {
      if (stopClosing.Stopping()) return;
      // Requests are served only from event loops, such as a dialog's of
      // the first update: from here on the window answers them.
      windowReady = true;
      frame->OnInitialUpdate();
    });
  }

  int result = application.exec();
  if (result == 0) result = window->ExitCode();
  app::SetNotifier(nullptr);
  window.reset();
  demoServer.Stop();
  return result;
}
