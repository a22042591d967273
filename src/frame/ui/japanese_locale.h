#pragma once
// The program speaks Japanese whatever the environment says: Qt's own texts
// (file dialogs, print preview, dock buttons, standard buttons) from Qt's
// Japanese translations, dates and month names from the Japanese locale,
// weeks that start on Sunday like the day bar.
class QCoreApplication;

namespace kanro::frame {

// Call once, right after the application object exists and before any
// widget. False when Qt's Japanese translations could not be loaded (the
// locale is set either way).
bool UseJapanese(QCoreApplication& application);

}  // namespace kanro::frame
