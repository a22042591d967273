#pragma once
// The "prp" URL scheme of the watch links on data pages. Registering must
// happen before the QApplication exists: main() calls this first.

namespace kanro::view {

void RegisterPrpScheme();

}  // namespace kanro::view
