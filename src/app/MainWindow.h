#pragma once
// The main window: menu, toolbar, status bar and the start view with its run button.
// The document it shows reads and writes nothing of its own; its image storage lives
// for the whole run (theDocumentImages()).
#include <QLabel>
#include <QMainWindow>
#include <QStringList>

#include "app/Navigator.h"
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

 public slots:
  void newDocument();
  void openDocumentDialog();
  void saveDocument();
  void about();
  void runMainMenu();

 private:
  void buildMenu();
  void buildToolBar();
  void buildStatusBar();
  void updateCaption();
  void addRecent(const QString& path);

  Navigator navigator_;
  ScreenView* startView_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QString title_;
  QString path_;
  QStringList recent_;
};

}  // namespace lumo
