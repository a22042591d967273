#pragma once
// A later start hands its request to the running window: "/d" asks it to
// download now. The later process never downloads itself, and its exit
// status says so: kHandedOverExitCode when the running window started the
// download, 1 when it could not.
#include <QByteArray>

#include "frame/ui/single_instance.h"

namespace kanro::frame {

class CMainFrame;

inline constexpr int kHandedOverExitCode = 3;

// In the running window, once its first update is done: starts a download
// unless one of its dialogs waits for the user, work already runs, or it is
// closing. One of the answers of single_instance.h.
QByteArray StartHandedOverDownload(CMainFrame& window);

// In the later start: reports the running window's answer on stderr and
// returns the exit status for it.
int ReportHandedOverDownload(const QByteArray& answer);

}  // namespace kanro::frame
