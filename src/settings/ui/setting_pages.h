#pragma once
// The six pages of the settings sheet. Each binds a plain page model: the
// widgets show it and hand the user's changes to it; the model loads, checks
// and saves.
#include <QWidget>
#include <memory>

#include "settings/auto_watch_page_model.h"
#include "settings/css_page_model.h"
#include "settings/download_page_model.h"
#include "settings/extend_page_model.h"
#include "settings/keyword_page_model.h"
#include "settings/network_page_model.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTreeWidget;

namespace kanro::settings {

class CGatedSelectionModel;

class CSettingPage : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;
  virtual SettingPageModel& Model() = 0;
  // Questions before OK; false keeps the sheet open on this page.
  virtual bool AskQuestions() { return true; }
  // Hands the widgets' texts to the model; false with a message when refused.
  virtual bool Commit(QString* message) {
    (void)message;
    return true;
  }
};

class CDownloadPage : public CSettingPage {
  Q_OBJECT
 public:
  explicit CDownloadPage(QWidget* parent = nullptr);
  SettingPageModel& Model() override { return m_model; }
  DownloadPageModel& Download() { return m_model; }
  QTreeWidget* Tree() const { return m_pTree; }
  QPushButton* AddButton() const { return m_pAdd; }
  QListWidget* List() const { return m_pList; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnAdd();
  void OnRemove();
  void FillList(int select);
  DownloadPageModel m_model;
  QTreeWidget* m_pTree;
  QListWidget* m_pList;
  QPushButton* m_pAdd;
  QPushButton* m_pRemove;
  QCheckBox* m_pOnceADay;
};

class CExtendPage : public CSettingPage {
  Q_OBJECT
 public:
  explicit CExtendPage(QWidget* parent = nullptr);
  SettingPageModel& Model() override { return m_model; }
  bool AskQuestions() override;
  ExtendPageModel& Extend() { return m_model; }
  QTreeWidget* Rules() const { return m_pRules; }
  QLineEdit* SearchEdit() const { return m_pSearch; }

 private:
  bool MayMoveTo(int row);
  void OnSelectionChanged();
  void Rebuild();
  void ShowEditState();
  void SelectQuietly(int row);
  ExtendPageModel m_model;
  QTreeWidget* m_pRules;
  CGatedSelectionModel* m_pGate = nullptr;
  QLineEdit* m_pSearch;
  QLineEdit* m_pReplace;
  QPushButton *m_pUp, *m_pDown, *m_pAddRule, *m_pDelete, *m_pConfirm;
  bool m_bRebuilding = false;
};

class CNetworkPage : public CSettingPage {
  Q_OBJECT
 public:
  explicit CNetworkPage(QWidget* parent = nullptr);
  SettingPageModel& Model() override { return m_model; }
  bool Commit(QString* message) override;

 private:
  void UpdateEnabled();
  NetworkPageModel m_model;
  QRadioButton *m_pSystem, *m_pDirect, *m_pManual;
  QLineEdit *m_pAddress, *m_pPort, *m_pUser, *m_pPassword;
};

class CCssPage : public CSettingPage {
  Q_OBJECT
 public:
  explicit CCssPage(QWidget* parent = nullptr);
  SettingPageModel& Model() override { return m_model; }
  QTreeWidget* List() const { return m_pList; }
  QPushButton* ApplyButton() const { return m_pApply; }

 Q_SIGNALS:
  // 適用 made another stylesheet Kanro.css: the view should reload.
  void stylesheetApplied();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CheckModification();
  void Fill();
  CssPageModel m_model;
  QTreeWidget* m_pList;
  QPushButton* m_pApply;
  bool m_bChecked = false;
};

class CKeywordPage : public CSettingPage {
  Q_OBJECT
 public:
  explicit CKeywordPage(QWidget* parent = nullptr);
  SettingPageModel& Model() override { return m_model; }
  KeywordPageModel& Keywords() { return m_model; }
  QListWidget* List() const { return m_pList; }

 private:
  void Fill();
  void UpdateButtons();
  KeywordPageModel m_model;
  QListWidget* m_pList;
  QPushButton *m_pUp, *m_pDown, *m_pAdd, *m_pDelete;
  bool m_bFilling = false;
};

class CAutoWatchPage : public CSettingPage {
  Q_OBJECT
 public:
  explicit CAutoWatchPage(QWidget* parent = nullptr);
  SettingPageModel& Model() override { return m_model; }
  AutoWatchPageModel& AutoWatch() { return m_model; }
  bool Commit(QString* message) override;
  QTreeWidget* Rules() const { return m_pRules; }
  QLineEdit* PatternEdit() const { return m_pPattern; }
  QPushButton* PreviewButton() const { return m_pPreviewButton; }
  QListWidget* PreviewList() const { return m_pPreview; }

 private:
  RuleTexts TypedTexts() const;
  bool ConfirmEdits();
  void ShowPreview();
  void Fill();
  void ShowSelected();
  AutoWatchPageModel m_model;
  QTreeWidget* m_pRules;
  QLineEdit *m_pPattern, *m_pPrograms, *m_pChannels, *m_pWeekdays, *m_pTime;
  QPushButton *m_pUp, *m_pDown, *m_pAdd, *m_pDelete, *m_pConfirm, *m_pPreviewButton;
  QLabel* m_pProblem;
  QListWidget* m_pPreview;
  bool m_bFilling = false;
};

}  // namespace kanro::settings
