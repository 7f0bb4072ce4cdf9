#pragma once
// The main window: menu, toolbar, status bar and the start view with its run button.
// The document it shows reads and writes nothing of its own; its image storage lives
// for the whole run (theDocumentImages()).
#include <QLabel>
#include <QMainWindow>
#include <QStringList>
#include <optional>

#include "app/Navigator.h"
#include "app/Platform.h"
#include "app/ScreenView.h"

namespace lumo {

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow();
  ~MainWindow() override;

  Navigator& navigator() { return navigator_; }
  ScreenView* startView() { return startView_; }
  // Opens a file as the (empty) document: nothing is read, the caption shows its name.
  void openDocument(const QString& path);
  QString documentTitle() const { return title_; }
  QStringList recentFiles() const { return recent_; }
  // The key indicators ｶﾅ, CAP, NUM and SCRL: each lit while its lock is on; all off
  // where the platform does not tell.
  void showKeyLocks(const std::optional<KeyLocks>& locks);

  // The context menu of the bars: the View menu's two entries, with their check marks.
  QMenu* createPopupMenu() override;

 public slots:
  void newDocument();
  void openDocumentDialog();
  void saveDocument();
  void about();
  void runMainMenu();
  // Prints the start view, which renders nothing of its own: a blank page, after Qt's
  // print dialog.
  void print();

 private:
  void buildMenu();
  void buildToolBar();
  void buildStatusBar();
  void updateCaption();
  void addRecent(const QString& path);
  bool eventFilter(QObject* watched, QEvent* event) override;

  Navigator navigator_;
  ScreenView* startView_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QAction* showToolBar_ = nullptr;
  QAction* showStatusBar_ = nullptr;
  QLabel* indicators_[4] = {};
  QString title_;
  QString path_;
  QStringList recent_;
  QStringList recentAtStart_;  // the profile is written back only when the list changed
};

}  // namespace lumo
