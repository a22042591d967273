#include "frame/ui/japanese_locale.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kanro::frame {

bool UseJapanese(QCoreApplication& application) {
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  // qt_ja is a catalogue that pulls in qtbase_ja and the other modules'
  // translations installed beside it.
  auto* translator = new QTranslator(&application);
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (translator->load(QStringLiteral("qt_ja"), folder) || translator->load(QStringLiteral("qtbase_ja"), folder)) {
    QCoreApplication::installTranslator(translator);
    return true;
  }
  delete translator;
  return false;
}

}  // namespace kanro::frame
