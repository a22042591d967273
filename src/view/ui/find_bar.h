#pragma once
// The find bar over the listing: a search field with next and previous,
// the number of matches, and a close button. Escape closes it and clears the
// highlight.
#include <QWidget>

class QLabel;
class QLineEdit;
class QWebEnginePage;
class QWebEngineFindTextResult;

namespace kanro::view {

class CFindBar : public QWidget {
  Q_OBJECT
 public:
  CFindBar(QWebEnginePage& page, QWidget* parent = nullptr);

  // Shows the bar with the field focused and its text selected.
  void Open();
  // Hides the bar and clears the page's highlight.
  void Close();
  void FindNext();
  void FindPrevious();

  QLineEdit* Field() const { return m_field; }
  QString ResultText() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Find(bool backward);
  void ShowResult(const QWebEngineFindTextResult& result);

  QWebEnginePage& m_page;
  QLineEdit* m_field = nullptr;
  QLabel* m_result = nullptr;
};

}  // namespace kanro::view
