#pragma once
// The bar at the top of the client area: the information image with the
// day's watch-plan description, the summary of the day's watched programmes,
// and the button to the newest version, enabled once a check finds one.
#include <QFrame>

class QLabel;
class QToolButton;

namespace kanro::frame {

class CCaptionBar : public QFrame {
  Q_OBJECT

 public:
  explicit CCaptionBar(QWidget* parent = nullptr);

  // "%d/%d%sの視聴予定", shown with the image's tool tip "情報".
  void SetImageDescription(const QString& description);
  QString ImageDescription() const { return m_description; }
  // The summary text, left aligned (plain text).
  void SetText(const QString& text);
  QString Text() const;
  // A newer version: the button's tool tip becomes the message and the button
  // is enabled for the rest of the window's life.
  void EnableNewVersionButton(const QString& toolTip);
  QToolButton* NewVersionButton() const { return m_button; }
  // A mark that the program runs as the demo ("" hides it).
  void SetBadge(const QString& text);

 Q_SIGNALS:
  void newVersionClicked();

 private:
  QLabel* m_image = nullptr;
  QLabel* m_badge = nullptr;
  QLabel* m_text = nullptr;
  QToolButton* m_button = nullptr;
  QString m_description;
};

}  // namespace kanro::frame
