#pragma once
// The main window: menu, toolbar, status bar and the start view with its run button.
// The document it shows reads and writes nothing of its own; its image storage lives
// for the whole run (theDocumentImages()).
#include <QLabel>
#include <QMainWindow>
#include <QStringList>
#include <optional>
#include <functional>

#include "app/Navigator.h"
#include "app/Platform.h"
#include "app/ScreenView.h"

namespace lumo {

// The framework's messages for a document that cannot be opened or saved.
inline const QString kOpenFailed = QStringLiteral("ﾄﾞｷｭﾒﾝﾄを開くことに失敗しました。");
inline const QString kSaveFailed = QStringLiteral("ﾄﾞｷｭﾒﾝﾄの保存に失敗しました。");

// Whether a file can be opened as the document: it exists, can be read, and is neither
// a folder nor a socket. Nothing is read and nothing blocks: a regular file is opened
// and closed again, a FIFO or a device is only checked for read permission.
bool canOpenDocument(const QString& path);

// The profile with the list of recent files. It is read and written only while it is
// a regular file (or not there yet) of at most kLargestProfile bytes; anything else is
// left alone and the program starts with an empty list, saying so on stderr.
QString profilePath();
constexpr qint64 kLargestProfile = 256 * 1024;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow();
  ~MainWindow() override;
  // Writes the list of recent files back to the profile if it changed since the start.
  // The window does it when it is destroyed, too.
  void saveProfile();

  Navigator& navigator() { return navigator_; }
  ScreenView* startView() { return startView_; }
  // Opens a file as the (empty) document: nothing is read, the caption shows its name
  // and the list of recent files gets it. A file that cannot be opened (canOpenDocument)
  // is reported with kOpenFailed; the document stays as it was. False then.
  bool openDocument(const QString& path);
  QString documentTitle() const { return title_; }
  QString documentPath() const { return path_; }
  QStringList recentFiles() const { return recent_; }
  // The key indicators ｶﾅ, CAP, NUM and SCRL: each lit while its lock is on; all off
  // where the platform does not tell.
  void showKeyLocks(const std::optional<KeyLocks>& locks);

  // The context menu of the bars: the View menu's two entries, with their check marks.
  QMenu* createPopupMenu() override;

  // What the window asks and tells the user: the Save As dialog with its overwrite
  // question ("" when cancelled), and a failure's message box. Tests replace them.
  struct Prompts {
    std::function<QString(const QString& suggested)> saveAs;
    std::function<void(const QString& message, const QString& file)> failure;
  };
  void setPrompts(Prompts prompts) { prompts_ = std::move(prompts); }

 public slots:
  void newDocument();
  void openDocumentDialog();
  void saveDocument();
  void about();
  void runMainMenu();
  // Opens (or raises) the reconstruction lab. Null when its module cannot be loaded: the
  // reason goes into `why` when given (a script's run), else into a message box.
  QWidget* openLab(QString* why = nullptr);
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
  bool writeDocument(const QString& path);

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
  Prompts prompts_;
  bool profileUsable_ = false;  // the profile was a regular file (or none) at start
};

}  // namespace lumo
