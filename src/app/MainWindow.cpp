#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QSettings>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "app/LabModule.h"
#include "app/PrintModule.h"
#include "draw/Bitmaps.h"

namespace lumo {

namespace {

constexpr int kRecentFiles = 4;
constexpr int kLongestPath = 4096;

// Why the profile cannot be used, "" when it can (it may not exist yet).
QString profileProblem(const QString& file) {
  const QFileInfo info(file);
  if (!info.exists()) return info.isSymLink() ? QStringLiteral("is a link to nothing") : QString();
  if (!info.isFile()) return QStringLiteral("is not a regular file");
  if (info.size() > kLargestProfile) return QStringLiteral("is larger than %1 KB").arg(kLargestProfile / 1024);
  return {};
}

// The toolbar strip: eight 16 x 15 button images side by side.
QIcon toolbarImage(const QImage& strip, int index) {
  if (strip.isNull()) return {};
  return QIcon(QPixmap::fromImage(strip.copy(index * 16, 0, 16, 15)));
}

// Watches another object's events without taking any.
class EventHook : public QObject {
 public:
  EventHook(QObject* parent, std::function<void(QEvent*)> onEvent) : QObject(parent), onEvent_(std::move(onEvent)) {}
  bool eventFilter(QObject*, QEvent* event) override {
    onEvent_(event);
    return false;
  }

 private:
  std::function<void(QEvent*)> onEvent_;
};

}  // namespace

QString profilePath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Local AppWizard-Generated Applications/Lumo.conf");
}

bool canOpenDocument(const QString& path) {
  if (path.isEmpty()) return false;
  const QByteArray name = QFile::encodeName(path);
  struct stat st {};
  if (::stat(name.constData(), &st) != 0 || S_ISDIR(st.st_mode) || S_ISSOCK(st.st_mode)) return false;
  if (!S_ISREG(st.st_mode)) return ::access(name.constData(), R_OK) == 0;
  const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

MainWindow::MainWindow() : navigator_(this) {
  buildToolBar();
  buildStatusBar();
  buildMenu();

  startView_ = new ScreenView(loadTemplate(101), this);
  setCentralWidget(startView_);
  if (auto* run = qobject_cast<QAbstractButton*>(startView_->control(1003)))
    connect(run, &QAbstractButton::clicked, this, &MainWindow::runMainMenu);

  prompts_.saveAs = [this](const QString& suggested) {
    return QFileDialog::getSaveFileName(this, QStringLiteral("名前を付けて保存"), suggested);
  };
  prompts_.failure = [this](const QString& message, const QString& file) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Lumo"), message, QMessageBox::Ok, this);
    box.setInformativeText(file);
    box.exec();
  };

  const QString profileFile = profilePath();
  const QString problem = profileProblem(profileFile);
  profileUsable_ = problem.isEmpty();
  if (!profileUsable_) {
    std::fprintf(stderr, "lumo: the settings file '%s' %s; starting with an empty list of recent files and leaving it alone\n",
                 profileFile.toLocal8Bit().constData(), problem.toLocal8Bit().constData());
  } else {
    QSettings s(profileFile, QSettings::IniFormat);
    for (int i = 1; i <= kRecentFiles; ++i) {
      // Only what the program itself writes there: a file's absolute path, as text. A
      // damaged profile's leftovers (binary values, fragments, endless lines) are dropped.
      const QVariant v = s.value(QStringLiteral("Recent File List/File%1").arg(i));
      if (v.typeId() != QMetaType::QString) continue;
      const QString f = v.toString();
      if (f.size() <= kLongestPath && QDir::isAbsolutePath(f) && !f.contains(QChar(0))) recent_ << f;
    }
  }

  recentAtStart_ = recent_;
  newDocument();
  // At the screen's top left, just large enough for the start view with the bars.
  move(0, 0);
  resize(1800, 1200);
  adjustSize();
  setFixedSize(sizeHint());
}

MainWindow::~MainWindow() { saveProfile(); }

void MainWindow::saveProfile() {
  // Writing the profile syncs it to disk: a run that opened nothing spares the wait.
  if (recent_ == recentAtStart_) return;
  recentAtStart_ = recent_;
  // Checked again: whatever took the profile's place meanwhile is left alone too.
  const QString profileFile = profilePath();
  if (!profileUsable_ || !profileProblem(profileFile).isEmpty()) return;
  QSettings s(profileFile, QSettings::IniFormat);
  for (int i = 1; i <= kRecentFiles; ++i) {
    const QString key = QStringLiteral("Recent File List/File%1").arg(i);
    if (i <= recent_.size()) {
      s.setValue(key, recent_[i - 1]);
    } else {
      s.remove(key);
    }
  }
}

void MainWindow::buildMenu() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
  for (int copy = 0; copy < 2; ++copy) {
    QMenu* edit = file->addMenu(QString());
    struct Entry {
      const char* text;
      const char* prompt;
    };
    const Entry entries[] = {{"元に戻す(&U)\tCtrl+Z", "直前に行った動作を元に戻す"},
                             {nullptr, nullptr},
                             {"切り取り(&T)\tCtrl+X", "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存"},
                             {"ｺﾋﾟｰ(&C)\tCtrl+C", "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存"},
                             {"貼り付け(&P)\tCtrl+V", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け"}};
    for (const Entry& e : entries) {
      if (!e.text) {
        edit->addSeparator();
        continue;
      }
      QAction* a = edit->addAction(QString::fromUtf8(e.text));
      a->setStatusTip(QString::fromUtf8(e.prompt));
      a->setEnabled(false);  // nothing in the program handles the edit commands
    }
    // Qt gives a disabled entry no prompt; the window shows it (eventFilter).
    edit->installEventFilter(this);
  }
  QAction* exit = file->addAction(QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"));
  exit->setStatusTip(QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示"));
  connect(exit, &QAction::triggered, this, &QWidget::close);

  // One check mark per bar, whatever shows or hides it: the toolbar's own view action
  // follows the bar, and the status bar's follows its show and hide events.
  QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
  showToolBar_ = toolBar_->toggleViewAction();
  showToolBar_->setText(QStringLiteral("ﾂｰﾙ ﾊﾞｰ(&T)"));
  showToolBar_->setObjectName(QStringLiteral("showToolBar"));
  showToolBar_->setStatusTip(QStringLiteral("ﾂｰﾙ ﾊﾞｰの 表示/非表示"));
  view->addAction(showToolBar_);
  showStatusBar_ = view->addAction(QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰ(&S)"));
  showStatusBar_->setObjectName(QStringLiteral("showStatusBar"));
  showStatusBar_->setCheckable(true);
  showStatusBar_->setChecked(true);
  showStatusBar_->setStatusTip(QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示"));
  connect(showStatusBar_, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
  statusBar()->installEventFilter(this);

  QMenu* lab = menuBar()->addMenu(QStringLiteral("ﾗﾎﾞ(&L)"));
  QAction* openLab = lab->addAction(QStringLiteral("再構成ラボ(&R)..."));
  openLab->setObjectName(QStringLiteral("openLab"));
  openLab->setStatusTip(QStringLiteral("再構成ラボを開き、FBP と OSEM を試す"));
  connect(openLab, &QAction::triggered, this, [this] { this->openLab(); });

  QMenu* help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  QAction* aboutAction = help->addAction(QStringLiteral("Lumo のﾊﾞｰｼﾞｮﾝ情報(&A)..."));
  aboutAction->setStatusTip(QStringLiteral("ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示"));
  connect(aboutAction, &QAction::triggered, this, &MainWindow::about);
}

QMenu* MainWindow::createPopupMenu() {
  auto* menu = new QMenu(this);
  menu->addAction(showToolBar_);
  menu->addAction(showStatusBar_);
  return menu;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == statusBar() && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
    // Hidden by the parent (the window closing) is not hidden by the user.
    const QSignalBlocker quiet(showStatusBar_);
    showStatusBar_->setChecked(!statusBar()->isHidden());
  } else if (auto* menu = qobject_cast<QMenu*>(watched); menu && event->type() == QEvent::MouseMove) {
    QAction* a = menu->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint());
    if (a && !a->isEnabled() && !a->statusTip().isEmpty()) statusBar()->showMessage(a->statusTip());
    if (!a || (!a->isEnabled() && a->statusTip().isEmpty())) statusBar()->clearMessage();
  } else if (menu && event->type() == QEvent::Hide) {
    statusBar()->clearMessage();
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::buildToolBar() {
  toolBar_ = addToolBar(QStringLiteral("ﾂｰﾙ ﾊﾞｰ"));
  toolBar_->setObjectName(QStringLiteral("toolbar"));
  toolBar_->setIconSize(QSize(16, 15));
  const QImage strip = draw::loadBitmap(128);
  struct Slot {
    int image;
    const char* tip;
    const char* prompt;
    QKeySequence key;
    void (MainWindow::*slot)();
  };
  const Slot buttons[] = {
      {0, "新規ﾌｧｲﾙ", "新規にﾌｧｲﾙを作成", QKeySequence(Qt::CTRL | Qt::Key_N), &MainWindow::newDocument},
      {1, "開く", "既存のﾌｧｲﾙを開く", QKeySequence(Qt::CTRL | Qt::Key_O), &MainWindow::openDocumentDialog},
      {2, "保存", "作業中のﾌｧｲﾙを上書きして保存", QKeySequence(Qt::CTRL | Qt::Key_S), &MainWindow::saveDocument},
      {-1, nullptr, nullptr, {}, nullptr},
      {3, "切り取り", "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存", {}, nullptr},
      {4, "ｺﾋﾟｰ", "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存", {}, nullptr},
      {5, "貼り付け", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け", {}, nullptr},
      {-1, nullptr, nullptr, {}, nullptr},
      {6, "印刷", "作業中のﾌｧｲﾙを印刷", QKeySequence(Qt::CTRL | Qt::Key_P), &MainWindow::print},
      {-1, nullptr, nullptr, {}, nullptr},
      {7, "ﾊﾞｰｼﾞｮﾝ情報", "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示", {}, &MainWindow::about},
  };
  for (const Slot& s : buttons) {
    if (s.image < 0) {
      toolBar_->addSeparator();
      continue;
    }
    QAction* a = toolBar_->addAction(toolbarImage(strip, s.image), QString::fromUtf8(s.tip));
    a->setToolTip(QString::fromUtf8(s.tip));
    a->setStatusTip(QString::fromUtf8(s.prompt));
    if (!s.key.isEmpty()) a->setShortcut(s.key);
    if (s.slot) {
      connect(a, &QAction::triggered, this, s.slot);
    } else {
      a->setEnabled(false);  // the edit commands have no handler
    }
  }
}

void MainWindow::buildStatusBar() {
  QStatusBar* bar = statusBar();
  // The window keeps the start view's size, so there is nothing to drag.
  bar->setSizeGripEnabled(false);
  bar->showMessage(QStringLiteral("ﾚﾃﾞｨ"));
  connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString& m) {
    if (m.isEmpty()) bar->showMessage(QStringLiteral("ﾚﾃﾞｨ"));
  });
  int i = 0;
  for (const char* indicator : {"ｶﾅ", "CAP", "NUM", "SCRL"}) {
    auto* l = new QLabel(QString::fromUtf8(indicator), bar);
    l->setObjectName(QString::fromUtf8(indicator));
    l->setEnabled(false);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->addPermanentWidget(l);
    indicators_[i++] = l;
  }
  // The lock keys change the keyboard's indicators; so may the user in another program.
  qApp->installEventFilter(new EventHook(this, [this](QEvent* event) {
    bool changed = event->type() == QEvent::ApplicationActivate;
    if (event->type() == QEvent::KeyRelease) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      changed = key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock ||
                (key >= Qt::Key_Kanji && key <= Qt::Key_Eisu_toggle);
    }
    if (changed) showKeyLocks(keyLocks());
  }));
}

void MainWindow::showKeyLocks(const std::optional<KeyLocks>& locks) {
  const KeyLocks k = locks.value_or(KeyLocks{});
  const bool on[4] = {k.kana, k.caps, k.num, k.scroll};
  for (int i = 0; i < 4; ++i) indicators_[i]->setEnabled(on[i]);
}

void MainWindow::print() { printWithDialog(this, QImage()); }

QWidget* MainWindow::openLab(QString* why) {
  QString reason;
  if (LabModule* lab = labModule(&reason)) return lab->openLab(this);
  if (why) {
    *why = reason;
  } else {
    QMessageBox::critical(this, QStringLiteral("再構成ラボ"), QStringLiteral("再構成ラボを読み込めません。\n%1").arg(reason));
  }
  return nullptr;
}

void MainWindow::updateCaption() { setWindowTitle(title_ + QStringLiteral(" - Lumo")); }

void MainWindow::newDocument() {
  title_ = QStringLiteral("無題");
  path_.clear();
  updateCaption();
}

bool MainWindow::openDocument(const QString& path) {
  // The document holds nothing of its own: a file that can be opened is accepted and
  // none is read.
  if (!canOpenDocument(path)) {
    prompts_.failure(kOpenFailed, path);
    return false;
  }
  path_ = path;
  title_ = QFileInfo(path).fileName();
  if (title_.isEmpty()) title_ = path;
  addRecent(QFileInfo(path).absoluteFilePath());
  updateCaption();
  return true;
}

void MainWindow::openDocumentDialog() {
  const QString f = QFileDialog::getOpenFileName(this);
  if (!f.isEmpty()) openDocument(f);
}

void MainWindow::saveDocument() {
  // The document writes an empty file. It goes straight over its own file only where
  // nothing can be lost: a regular file that is empty or no longer there. A file with
  // content, a FIFO or a device goes through Save As and its overwrite question.
  QString target = path_;
  const QFileInfo info(target);
  const bool nothingToLose = !target.isEmpty() && (info.exists() ? info.isFile() && info.size() == 0 : !info.isSymLink());
  if (!nothingToLose) {
    target = prompts_.saveAs(target.isEmpty() ? title_ : target);
    if (target.isEmpty()) return;
  }
  writeDocument(target);
}

bool MainWindow::writeDocument(const QString& path) {
  // Written through a temporary file renamed into place; a device, a FIFO or a folder
  // is never replaced. A failure is reported and the document stays as it was.
  const QFileInfo info(path);
  bool ok = !(info.exists() && !info.isFile()) && !(!info.exists() && info.isSymLink());
  if (ok) {
    QSaveFile out(path);
    ok = out.open(QIODevice::WriteOnly) && out.commit();
  }
  if (!ok) {
    prompts_.failure(kSaveFailed, path);
    return false;
  }
  path_ = path;
  title_ = info.fileName();
  addRecent(info.absoluteFilePath());
  updateCaption();
  return true;
}

void MainWindow::addRecent(const QString& path) {
  recent_.removeAll(path);
  recent_.prepend(path);
  while (recent_.size() > kRecentFiles) recent_.removeLast();
}

void MainWindow::about() {
  QDialog box(this);
  auto* form = new ScreenView(loadTemplate(100), &box);
  const DialogTemplate& tpl = form->dialogTemplate();
  box.setWindowTitle(QString::fromStdString(tpl.caption));
  box.setFixedSize(form->size());
  if (auto* ok = qobject_cast<QAbstractButton*>(form->control(1))) {
    connect(ok, &QAbstractButton::clicked, &box, &QDialog::accept);
    if (auto* push = qobject_cast<QPushButton*>(ok)) push->setDefault(true);
  }
  box.exec();
}

void MainWindow::runMainMenu() { navigator_.run("CDialog1"); }

}  // namespace lumo
