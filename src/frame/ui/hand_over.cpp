#include "frame/ui/hand_over.h"

#include <QApplication>

#include <cstdio>

#include "app/command_ids.h"
#include "frame/ui/download_orchestrator.h"
#include "frame/ui/main_frame.h"

namespace kanro::frame {

QByteArray StartHandedOverDownload(CMainFrame& window) {
  // A settings sheet or a question waits for the user; a download now would
  // run on settings that are being changed.
  if (QApplication::activeModalWidget() != nullptr) return kDownloadWaitsForDialog;
  // A download command while work runs would cancel that work.
  if (window.Orchestrator()->IsBusy()) return kDownloadBusy;
  window.OnCommand(app::command::ID_DOWNLOAD);
  return window.Orchestrator()->IsBusy() ? kDownloadStarted : kDownloadRefused;
}

int ReportHandedOverDownload(const QByteArray& answer) {
  const char* text = nullptr;
  int status = 1;
  if (answer == kDownloadStarted) {
    text = "起動中の Kanro がダウンロードを始めました（この起動ではダウンロードしていません）。";
    status = kHandedOverExitCode;
  } else if (answer == kDownloadBusy) {
    text = "起動中の Kanro は処理中のため、ダウンロードを始められませんでした。";
  } else if (answer == kDownloadWaitsForDialog) {
    text = "起動中の Kanro はダイアログの応答待ちのため、ダウンロードを始められませんでした。";
  } else if (answer == kDownloadRefused) {
    text = "起動中の Kanro は起動の途中か終了中のため、ダウンロードを始められませんでした。";
  } else {
    text = "起動中の Kanro が応答しないため、ダウンロードを頼めませんでした。";
  }
  std::fprintf(stderr, "kanro: %s\n", text);
  return status;
}

}  // namespace kanro::frame
