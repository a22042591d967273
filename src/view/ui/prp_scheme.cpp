#include "view/ui/prp_scheme.h"

#include <QWebEngineUrlScheme>

namespace kanro::view {

void RegisterPrpScheme() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  QWebEngineUrlScheme scheme("prp");
  scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
  scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
  QWebEngineUrlScheme::registerScheme(scheme);
}

}  // namespace kanro::view
