#pragma once
// The settings sheet "プログラムの設定" with its five pages, and the
// keyword-only sheet "キーワードの編集". A page takes part in OK and Cancel
// only when the user opened it; OK asks and checks every opened page first
// and saves them in page order, or writes nothing.
#include <QDialog>
#include <vector>

class QStackedWidget;

namespace kanro::settings {

class CPageBar;
class CSettingPage;

class CPageSheet : public QDialog {
  Q_OBJECT
 public:
  using QDialog::QDialog;
  void accept() override;
  void reject() override;
  // The pages opened so far, in page order (null for pages never opened).
  const std::vector<CSettingPage*>& OpenedPages() const { return m_pages; }

 protected:
  virtual void ShowPage(int index) = 0;
  std::vector<CSettingPage*> m_pages;
};

class CSettingPropertySheet : public CPageSheet {
  Q_OBJECT
 public:
  enum Page { kDownload, kExtend, kNetwork, kCss, kKeyword, kAutoWatch, kPageCount };
  explicit CSettingPropertySheet(QWidget* parent = nullptr);
  ~CSettingPropertySheet() override;

  void ShowPage(int index) override;
  int ActivePage() const;
  CSettingPage* PageAt(int index) const { return m_pages[static_cast<size_t>(index)]; }
  CPageBar* PageBar() const { return m_pNavigation; }

 Q_SIGNALS:
  // 適用 on the stylesheet page made another stylesheet active.
  void stylesheetApplied();

 private:
  void EnsurePage(int index);
  CPageBar* m_pNavigation;
  QStackedWidget* m_pStack;
};

class CKeywordSheet : public CPageSheet {
  Q_OBJECT
 public:
  explicit CKeywordSheet(QWidget* parent = nullptr);
  CSettingPage* Page() const { return m_pages.front(); }

 protected:
  void ShowPage(int) override {}
};

}  // namespace kanro::settings
