#pragma once
// Ctrl+C (SIGINT), SIGTERM (as `timeout` and service managers send it) and
// SIGHUP (a closed terminal) all stop a running transfer or download run the
// way the window's cancel does: they set g_bCancel, so the work ends through
// its normal paths and removes its temporary files.
namespace kanro::cli {

class CancelOnStopSignals {
 public:
  // Installs the handlers and clears any earlier stop request.
  CancelOnStopSignals();
  // Puts the previous handlers back.
  ~CancelOnStopSignals();
  CancelOnStopSignals(const CancelOnStopSignals&) = delete;
  CancelOnStopSignals& operator=(const CancelOnStopSignals&) = delete;

  // True once one of the signals arrived. The work clears g_bCancel when it
  // ends, so this remembers the stop.
  bool Stopped() const;
};

}  // namespace kanro::cli
