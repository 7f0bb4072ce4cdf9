#pragma once
// One loop shows one screen after another. A screen that leads to another ends itself
// and names its successor; the loop then constructs the successor afresh and runs it.
// Runs of Next and Back therefore never nest event loops or grow the stack. The
// workbench sheet is the one window opened over another (the main menu).
#include <QDialog>
#include <QTabWidget>
#include <string>
#include <vector>

#include "app/ScreenView.h"

namespace lumo {

class Navigator;

// A study screen as a modal dialog.
class ScreenWindow : public QDialog, public ScreenOwner {
  Q_OBJECT
 public:
  ScreenWindow(const std::string& screenClass, Navigator& navigator, QWidget* parent);

  ScreenView* view() { return view_; }
  const std::string& successor() const { return successor_; }
  bool ending() const { return ending_; }
  // Ends the screen and names the one to open next ("" for none).
  void endWith(const std::string& successor);

  void transfer(std::string_view screenClass) override;
  void quitApplication() override;
  void openWorkbench() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  Navigator& navigator_;
  ScreenView* view_;
  std::string successor_;
  bool ending_ = false;
};

// The workbench: four pages on tabs, no push buttons of its own; closed by its close box.
class SheetWindow : public QDialog, public ScreenOwner {
  Q_OBJECT
 public:
  SheetWindow(QWidget* parent, int selectedPage);
  QTabWidget* tabs() { return tabs_; }
  ScreenView* currentPage();
  std::string currentPageClass();

  void transfer(std::string_view) override {}
  void quitApplication() override {}
  void openWorkbench() override {}

 private:
  QTabWidget* tabs_;
  std::vector<ScreenView*> pages_;
};

class Navigator {
 public:
  explicit Navigator(QWidget* mainWindow) : mainWindow_(mainWindow) {}

  // Shows `first` (a screen class, or a workbench page: the main menu with the sheet
  // opened on that page) and its successors until one ends without successor.
  void run(const std::string& first);
  // Runs the workbench sheet over `owner` (the main menu), on page `page` (0-based).
  void runSheet(QWidget* owner, int page);
  // Ends every open screen and the program with that exit status.
  void quit(int exitCode);

  bool running() const { return running_; }
  bool quitting() const { return quitting_; }
  // The status the first quit() asked for (0 until then).
  int exitCode() const { return exitCode_; }
  ScreenWindow* current() { return current_; }
  SheetWindow* sheet() { return sheet_; }
  // The window the user sees on top: the sheet, the current screen, or none (start view).
  QWidget* topWindow();
  // "start", the screen class, or "CMySheetA/CPageA2".
  std::string where();
  // True when no transfer is under way: the top window is shown and not ending.
  bool settled();
  // How many screens have been constructed since the program started.
  long long screensShown() const { return screensShown_; }
  // Ends the current chain and continues with `screenClass` (used by scripts).
  void redirect(const std::string& screenClass);

 private:
  QWidget* mainWindow_;
  ScreenWindow* current_ = nullptr;
  SheetWindow* sheet_ = nullptr;
  bool running_ = false;
  bool quitting_ = false;
  int exitCode_ = 0;
  int pendingSheetPage_ = -1;
  long long screensShown_ = 0;
};

}  // namespace lumo
