#pragma once
// The automatic download at start ("Download"/"LaunchAuto"): requested once,
// the first time a data page has loaded or a day without a page is chosen
// while no worker runs. A download started any other way makes it moot.
namespace kanro::view {

class LaunchAutoPending {
 public:
  void Arm(bool pending) { m_pending = pending; }
  bool IsPending() const { return m_pending; }

  // At a data page's load or a day without a page: true when the download is
  // to be requested now (and the flag is cleared). While a worker runs, a
  // download is already under way and the flag is dropped.
  bool TakeRequest(bool workerRunning) {
    if (!m_pending) return false;
    m_pending = false;
    return !workerRunning;
  }

  // Some download started: nothing is left to request.
  void DownloadStarted() { m_pending = false; }

 private:
  bool m_pending = false;
};

}  // namespace kanro::view
