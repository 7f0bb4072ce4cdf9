#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QPushButton>
#include <QSaveFile>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "draw/Bitmaps.h"
#include "lab/LabWindow.h"

namespace lumo {

namespace {

constexpr int kRecentFiles = 4;
constexpr int kLongestPath = 4096;

QSettings profile() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                   QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("Lumo"));
}

// The toolbar strip: eight 16 x 15 button images side by side.
QIcon toolbarImage(const QImage& strip, int index) {
  if (strip.isNull()) return {};
  return QIcon(QPixmap::fromImage(strip.copy(index * 16, 0, 16, 15)));
}

}  // namespace

MainWindow::MainWindow() : navigator_(this) {
  buildMenu();
  buildToolBar();
  buildStatusBar();

  startView_ = new ScreenView(loadTemplate(101), this);
  setCentralWidget(startView_);
  if (auto* run = qobject_cast<QAbstractButton*>(startView_->control(1003)))
    connect(run, &QAbstractButton::clicked, this, &MainWindow::runMainMenu);

  {
    QSettings s = profile();
    for (int i = 1; i <= kRecentFiles; ++i) {
      // Only what the program itself writes there: a file's absolute path, as text. A
      // damaged profile's leftovers (binary values, fragments, endless lines) are dropped.
      const QVariant v = s.value(QStringLiteral("Recent File List/File%1").arg(i));
      if (v.typeId() != QMetaType::QString) continue;
      const QString f = v.toString();
      if (f.size() <= kLongestPath && QDir::isAbsolutePath(f) && !f.contains(QChar(0))) recent_ << f;
    }
  }

  newDocument();
  // At the screen's top left, just large enough for the start view with the bars.
  move(0, 0);
  resize(1800, 1200);
  adjustSize();
  setFixedSize(sizeHint());
}

MainWindow::~MainWindow() {
  QSettings s = profile();
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
    const char* texts[] = {"元に戻す(&U)\tCtrl+Z", nullptr, "切り取り(&T)\tCtrl+X", "ｺﾋﾟｰ(&C)\tCtrl+C",
                           "貼り付け(&P)\tCtrl+V"};
    for (const char* t : texts) {
      if (!t) {
        edit->addSeparator();
        continue;
      }
      QAction* a = edit->addAction(QString::fromUtf8(t));
      a->setEnabled(false);  // nothing in the program handles the edit commands
    }
  }
  QAction* exit = file->addAction(QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"));
  exit->setStatusTip(QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示"));
  connect(exit, &QAction::triggered, this, &QWidget::close);

  QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
  QAction* showToolBar = view->addAction(QStringLiteral("ﾂｰﾙ ﾊﾞｰ(&T)"));
  showToolBar->setObjectName(QStringLiteral("showToolBar"));
  showToolBar->setCheckable(true);
  showToolBar->setChecked(true);
  showToolBar->setStatusTip(QStringLiteral("ﾂｰﾙ ﾊﾞｰの 表示/非表示"));
  connect(showToolBar, &QAction::toggled, this, [this](bool on) { toolBar_->setVisible(on); });
  QAction* showStatus = view->addAction(QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰ(&S)"));
  showStatus->setObjectName(QStringLiteral("showStatusBar"));
  showStatus->setCheckable(true);
  showStatus->setChecked(true);
  showStatus->setStatusTip(QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示"));
  connect(showStatus, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });

  QMenu* lab = menuBar()->addMenu(QStringLiteral("ﾗﾎﾞ(&L)"));
  QAction* openLab = lab->addAction(QStringLiteral("再構成ラボ(&R)..."));
  openLab->setObjectName(QStringLiteral("openLab"));
  openLab->setStatusTip(QStringLiteral("再構成ラボを開き、FBP と OSEM を試す"));
  connect(openLab, &QAction::triggered, this, [this] { lab::LabWindow::open(this); });

  QMenu* help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  QAction* aboutAction = help->addAction(QStringLiteral("Lumo のﾊﾞｰｼﾞｮﾝ情報(&A)..."));
  aboutAction->setStatusTip(QStringLiteral("ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示"));
  connect(aboutAction, &QAction::triggered, this, &MainWindow::about);
}

void MainWindow::buildToolBar() {
  toolBar_ = addToolBar(QStringLiteral("toolbar"));
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
      {6, "印刷", "作業中のﾌｧｲﾙを印刷", QKeySequence(Qt::CTRL | Qt::Key_P), nullptr},
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
    } else if (s.image >= 3 && s.image <= 5) {
      a->setEnabled(false);  // the edit commands have no handler
    }
    // Printing renders a blank page; the program leaves it out.
  }
}

void MainWindow::buildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->showMessage(QStringLiteral("ﾚﾃﾞｨ"));
  connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString& m) {
    if (m.isEmpty()) bar->showMessage(QStringLiteral("ﾚﾃﾞｨ"));
  });
  for (const char* indicator : {"ｶﾅ", "CAP", "NUM", "SCRL"}) {
    auto* l = new QLabel(QString::fromUtf8(indicator), bar);
    l->setEnabled(false);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->addPermanentWidget(l);
  }
}

void MainWindow::updateCaption() { setWindowTitle(title_ + QStringLiteral(" - Lumo")); }

void MainWindow::newDocument() {
  title_ = QStringLiteral("無題");
  path_.clear();
  updateCaption();
}

void MainWindow::openDocument(const QString& path) {
  // The document holds nothing of its own: any file is accepted and none is read.
  path_ = path;
  title_ = QFileInfo(path).fileName();
  if (title_.isEmpty()) title_ = path;
  addRecent(QFileInfo(path).absoluteFilePath());
  updateCaption();
}

void MainWindow::openDocumentDialog() {
  const QString f = QFileDialog::getOpenFileName(this);
  if (!f.isEmpty()) openDocument(f);
}

void MainWindow::saveDocument() {
  QString target = path_;
  if (target.isEmpty()) target = QFileDialog::getSaveFileName(this, QString(), title_);
  if (target.isEmpty()) return;
  QSaveFile out(target);
  if (out.open(QIODevice::WriteOnly) && out.commit()) openDocument(target);
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
