#pragma once
// The about box: program name and version, and a link to the support page.
#include <QDialog>

class QLabel;

namespace kanro::frame {

class CAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutBox(QWidget* parent = nullptr);
  QLabel* VersionLabel() const { return m_version; }
  QLabel* Link() const { return m_link; }

 private:
  QLabel* m_version = nullptr;
  QLabel* m_link = nullptr;
};

// The root address of the maker's web site (home page and support page).
QString HomePageAddress();

}  // namespace kanro::frame
