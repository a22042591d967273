#pragma once
// When the day or listing the user picked has no page, the window says so
// instead of leaving the view as it was: a status text, and for a deliberate
// pick (calendar, listing selector) a box that offers the download when a
// run would bring the page.
namespace kanro::frame {

class CMainFrame;

enum class MissingDayReply {
  StatusOnly,  // typing or stepping through dates: no box
  Offer,       // a deliberate pick: a box, with the download when it helps
};

// True when the day on screen has no page and the user was told.
bool TellOfMissingDay(CMainFrame& frame, MissingDayReply reply);

}  // namespace kanro::frame
