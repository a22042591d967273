#pragma once
// The listing view: the frameset index.htm in a Qt WebEngine view, with the
// header page of the selected listing in frame "head" and one day's data page
// in frame "data". It decides which pages are shown and when (start-up, day,
// hour, date picker, listing selector, current listing, re-display), sets the
// window caption and the "Update on " text, and offers print preview and find
// in page. The decisions are plain functions in kanro_core; this class applies
// them to the page.
#include <QWidget>

#include <cstdint>
#include <map>
#include <string>

#include "view/view_host.h"

class QWebEngineView;

namespace kanro::view {

// Enable and check state of one command, as the window's tool bars show it.
struct CommandState {
  bool enabled = true;
  bool checked = false;
};

class CKanroView : public QWidget {
  Q_OBJECT

 public:
  explicit CKanroView(ViewHost& host, QWidget* parent = nullptr);
  ~CKanroView() override;

  // Once, after the window has been built: may open the settings sheet
  // (31004), shows this week (60122), runs the keyword search (31012), then
  // either requests the unattended download (32001) or loads index.htm.
  void OnInitialUpdate();

  // True for the commands the view handles: 31001, 31002, 31006, 31007,
  // 31015, 31018, 59500-59523 and 60000-60020.
  static bool HandlesCommand(unsigned id);
  void OnCommand(unsigned id);
  // Day buttons 60000-60020: enabled when the page exists, checked when it is
  // the day on screen. Other ids: enabled, unchecked.
  CommandState OnUpdateCommand(unsigned id) const;

  // Messages 1127 (UM_REFRESHDAYS), 1128 (UM_SCROLLTOCELL) and 1129
  // (UM_SHOWDAY), handled synchronously.
  intptr_t HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam);

  // Normal refresh of the pages shown (after the settings sheet or the keyword
  // dialog); marks and highlighting are applied again when the data page has
  // reloaded.
  void Reload();

  // Day command id -> 1 when the selected listing has a page for that day.
  const std::map<unsigned, int>& DayAvailability() const { return m_dayAvailable; }

  // The embedded browser, for tests and for the window's focus handling.
  QWebEngineView* WebView() const;

 Q_SIGNALS:
  // A data page finished loading (not an anchor jump) and its marks were applied.
  void dataPageShown(const QString& localPath);

 private:
  class Impl;
  ViewHost& m_host;
  std::map<unsigned, int> m_dayAvailable;
  Impl* m_impl = nullptr;
};

}  // namespace kanro::view
