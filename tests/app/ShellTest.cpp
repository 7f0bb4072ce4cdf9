// The main window: caption, bars, menu entries, the document and its recent files.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <QAbstractButton>
#include <QAction>
#include <QDialogButtonBox>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QPushButton>
#include <memory>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

#include "app/MainWindow.h"
#include "app/Navigator.h"
#include "app/Platform.h"

namespace {

class Shell : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(settingsDir.isValid());
    savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settingsDir.path()));
  }
  void TearDown() override { qputenv("XDG_CONFIG_HOME", savedConfig); }
  QTemporaryDir settingsDir;
  QByteArray savedConfig;
};

// What the window asked and told while a test drove it, instead of dialogs.
struct Asked {
  QStringList saveAs;                 // the names suggested to Save As
  QString answer;                     // what Save As returns ("" for cancel)
  QList<QPair<QString, QString>> failures;  // message, file
  void attach(lumo::MainWindow& w) {
    w.setPrompts({[this](const QString& suggested) {
                    saveAs << suggested;
                    return answer;
                  },
                  [this](const QString& message, const QString& file) { failures.append({message, file}); }});
  }
};

bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray contentOf(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QList<QAction*> allActions(QMenu* menu) {
  QList<QAction*> out;
  for (QAction* a : menu->actions()) {
    out << a;
    if (a->menu()) out << allActions(a->menu());
  }
  return out;
}

}  // namespace

TEST_F(Shell, StartsUntitledAndReady) {
  lumo::MainWindow w;
  EXPECT_EQ(w.windowTitle(), QStringLiteral("無題 - Lumo"));
  EXPECT_EQ(w.statusBar()->currentMessage(), QStringLiteral("ﾚﾃﾞｨ"));
  EXPECT_EQ(w.pos(), QPoint(0, 0));
  EXPECT_LT(w.width(), 1800);
  EXPECT_LT(w.height(), 1200);
}

TEST_F(Shell, TheEditEntriesAreDisabledAndTheBarsToggleWithCheckMarks) {
  lumo::MainWindow w;
  const QList<QAction*> menus = w.menuBar()->actions();
  ASSERT_EQ(menus.size(), 4);
  EXPECT_EQ(menus[0]->text(), QStringLiteral("ﾌｧｲﾙ(&F)"));
  EXPECT_EQ(menus[1]->text(), QStringLiteral("表示(&V)"));
  EXPECT_EQ(menus[2]->text(), QStringLiteral("ﾗﾎﾞ(&L)"));
  EXPECT_EQ(menus[3]->text(), QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  int editEntries = 0;
  for (QAction* a : allActions(menus[0]->menu())) {
    if (a->text().contains('\t')) {
      ++editEntries;
      EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    }
  }
  EXPECT_EQ(editEntries, 8);  // two submenus of undo, cut, copy and paste

  auto* toolBar = w.findChild<QToolBar*>(QStringLiteral("toolbar"));
  auto* showToolBar = w.findChild<QAction*>(QStringLiteral("showToolBar"));
  auto* showStatus = w.findChild<QAction*>(QStringLiteral("showStatusBar"));
  ASSERT_TRUE(toolBar && showToolBar && showStatus);
  w.show();
  EXPECT_TRUE(showToolBar->isChecked());
  showToolBar->trigger();
  EXPECT_FALSE(showToolBar->isChecked());
  EXPECT_FALSE(toolBar->isVisible());
  showStatus->trigger();
  EXPECT_FALSE(showStatus->isChecked());
  EXPECT_FALSE(w.statusBar()->isVisible());
}

TEST_F(Shell, TheToolbarHasItsElevenSlotsWithTips) {
  lumo::MainWindow w;
  auto* toolBar = w.findChild<QToolBar*>(QStringLiteral("toolbar"));
  ASSERT_TRUE(toolBar);
  const QList<QAction*> entries = toolBar->actions();
  ASSERT_EQ(entries.size(), 11);
  const char* tips[] = {"新規ﾌｧｲﾙ", nullptr, nullptr, nullptr, "切り取り", "ｺﾋﾟｰ",
                        "貼り付け", nullptr,  "印刷",  nullptr, "ﾊﾞｰｼﾞｮﾝ情報"};
  for (int i = 0; i < 11; ++i) {
    const bool separator = i == 3 || i == 7 || i == 9;
    EXPECT_EQ(entries[i]->isSeparator(), separator) << i;
    if (tips[i]) {
      EXPECT_EQ(entries[i]->toolTip(), QString::fromUtf8(tips[i])) << i;
    }
    if (!separator) {
      EXPECT_FALSE(entries[i]->icon().isNull()) << i;
    }
  }
}

TEST_F(Shell, OpeningAFileReadsNothingAndKeepsTheLastFourInTheProfile) {
  QTemporaryDir files;
  {
    lumo::MainWindow w;
    for (int i = 1; i <= 5; ++i) {
      const QString name = files.filePath(QStringLiteral("study%1.lum").arg(i));
      ASSERT_TRUE(writeFile(name, "x"));
      EXPECT_TRUE(w.openDocument(name));
    }
    EXPECT_EQ(w.windowTitle(), QStringLiteral("study5.lum - Lumo"));
    ASSERT_EQ(w.recentFiles().size(), 4);
    EXPECT_TRUE(w.recentFiles().front().endsWith(QStringLiteral("study5.lum")));
    w.newDocument();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("無題 - Lumo"));
  }
  lumo::MainWindow again;
  ASSERT_EQ(again.recentFiles().size(), 4);
  EXPECT_TRUE(again.recentFiles().back().endsWith(QStringLiteral("study2.lum")));
}

TEST_F(Shell, TheDocumentImagesStayWhiteAcrossNewDocuments) {
  lumo::MainWindow w;
  lumo::model::ImageStore& store = lumo::theDocumentImages();
  const std::uint32_t before = store.at(23, 127, 127);
  store.at(0, 0, 0) = 0x123456;
  w.newDocument();
  Asked asked;
  asked.attach(w);
  w.openDocument(QStringLiteral("/nonexistent/file"));
  w.openDocument(QStringLiteral("/dev/zero"));
  EXPECT_EQ(store.at(0, 0, 0), 0x123456u);
  EXPECT_EQ(before, 0xFFFFFFu);
  store.at(0, 0, 0) = 0xFFFFFF;
}

// A file that is not there or cannot be opened (a folder, a socket, one that vanished)
// is reported with the framework's message; the document stays untitled and the list of
// recent files gets nothing. Whatever can be opened is, without being read.
TEST_F(Shell, AFileThatCannotBeOpenedIsReportedAndTheDocumentStaysAsItWas) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString vanished = dir.filePath(QStringLiteral("消えた.lum"));
  const QString fifo = dir.filePath(QStringLiteral("pipe"));
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString socketPath = dir.filePath(QStringLiteral("socket"));
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray socketName = QFile::encodeName(socketPath);
  ASSERT_LT(static_cast<std::size_t>(socketName.size()), sizeof address.sun_path);
  std::memcpy(address.sun_path, socketName.constData(), static_cast<std::size_t>(socketName.size()));
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  struct Case {
    const char* what;
    QString path;
    bool opens;
  } cases[] = {
      {"a file that does not exist", QStringLiteral("/nonexistent/zz.dat"), false},
      {"a file that vanished after it was chosen", vanished, false},
      {"a folder", dir.path(), false},
      {"a socket", socketPath, false},
      {"an empty name", QString(), false},
      {"a FIFO nobody writes (never read, so never blocks)", fifo, true},
      {"a device", QStringLiteral("/dev/zero"), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    lumo::MainWindow w;
    Asked asked;
    asked.attach(w);
    const QStringList recentBefore = w.recentFiles();
    EXPECT_EQ(w.openDocument(c.path), c.opens);
    if (c.opens) {
      EXPECT_TRUE(asked.failures.isEmpty());
      EXPECT_EQ(w.windowTitle(), QFileInfo(c.path).fileName() + QStringLiteral(" - Lumo"));
      EXPECT_EQ(w.recentFiles().value(0), QFileInfo(c.path).absoluteFilePath());
    } else {
      ASSERT_EQ(asked.failures.size(), 1);
      EXPECT_EQ(asked.failures[0].first, QStringLiteral("ﾄﾞｷｭﾒﾝﾄを開くことに失敗しました。"));
      EXPECT_EQ(asked.failures[0].second, c.path);
      EXPECT_EQ(w.windowTitle(), QStringLiteral("無題 - Lumo"));
      EXPECT_EQ(w.recentFiles(), recentBefore);
    }
  }
  ::close(fd);
}

// Saving writes an empty file, and never destroys what it did not write: over a file
// with content it goes through Save As (whose dialog asks before replacing), a device
// or FIFO is never replaced, and a failure is reported with the caption unchanged.
TEST_F(Shell, SavingNeverDestroysWhatItDidNotWriteAndReportsAFailure) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString notes = dir.filePath(QStringLiteral("a.txt"));
  const QString empty = dir.filePath(QStringLiteral("empty.lum"));
  const QString fifo = dir.filePath(QStringLiteral("pipe"));
  const QString linkToNotes = dir.filePath(QStringLiteral("link.txt"));
  const QString linkToFifo = dir.filePath(QStringLiteral("link-pipe"));
  const QString fresh = dir.filePath(QStringLiteral("新しい.lum"));
  const QString vanishing = dir.filePath(QStringLiteral("gone.lum"));
  const QString missingFolder = dir.filePath(QStringLiteral("no/such/folder/x.lum"));

  enum Asks { Direct, AsksSaveAs };
  struct Case {
    const char* what;
    QString opened;       // "" for the untitled document
    Asks asks;
    QString answer;       // Save As's answer
    QString writes;       // the file that ends up empty, "" for none
    bool fails;
    QString caption;      // afterwards
  } cases[] = {
      {"untitled: Save As", QString(), AsksSaveAs, fresh, fresh, false, "新しい.lum - Lumo"},
      {"untitled: Save As cancelled", QString(), AsksSaveAs, QString(), QString(), false, "無題 - Lumo"},
      {"a file with notes: Save As, cancelled", notes, AsksSaveAs, QString(), QString(), false, "a.txt - Lumo"},
      {"a file with notes: Save As elsewhere", notes, AsksSaveAs, fresh, fresh, false, "新しい.lum - Lumo"},
      {"a file with notes: replaced once the user said so", notes, AsksSaveAs, notes, notes, false, "a.txt - Lumo"},
      {"a link to a file with notes", linkToNotes, AsksSaveAs, QString(), QString(), false, "link.txt - Lumo"},
      {"an empty file: saved over directly", empty, Direct, QString(), empty, false, "empty.lum - Lumo"},
      {"a file removed since it was opened", vanishing, Direct, QString(), vanishing, false, "gone.lum - Lumo"},
      {"a FIFO: never replaced", fifo, AsksSaveAs, fifo, QString(), true, "pipe - Lumo"},
      {"Save As onto a link to a FIFO", QString(), AsksSaveAs, linkToFifo, QString(), true, "無題 - Lumo"},
      {"Save As onto a device", QString(), AsksSaveAs, QStringLiteral("/dev/full"), QString(), true, "無題 - Lumo"},
      {"Save As into a folder that is not there", QString(), AsksSaveAs, missingFolder, QString(), true, "無題 - Lumo"},
      {"Save As onto a folder", QString(), AsksSaveAs, dir.path(), QString(), true, "無題 - Lumo"},
      {"a file nobody can write (/proc)", QStringLiteral("/proc/version"), Direct, QString(), QString(), true,
       "version - Lumo"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Every case starts from the same files.
    for (const QString& f : {notes, empty, fresh, vanishing, linkToNotes, linkToFifo}) QFile::remove(f);
    ::unlink(QFile::encodeName(fifo).constData());
    ASSERT_TRUE(writeFile(notes, "notes\n"));
    ASSERT_TRUE(writeFile(empty, ""));
    ASSERT_TRUE(writeFile(vanishing, ""));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(notes, linkToNotes));
    ASSERT_TRUE(QFile::link(fifo, linkToFifo));

    lumo::MainWindow w;
    Asked asked;
    asked.attach(w);
    asked.answer = c.answer;
    if (!c.opened.isEmpty()) {
      ASSERT_TRUE(w.openDocument(c.opened));
    }
    if (c.opened == vanishing) QFile::remove(vanishing);
    const QStringList recentBefore = w.recentFiles();
    w.saveDocument();

    EXPECT_EQ(asked.saveAs.size(), c.asks == AsksSaveAs ? 1 : 0);
    if (c.asks == AsksSaveAs && !asked.saveAs.isEmpty()) {
      EXPECT_EQ(asked.saveAs[0], c.opened.isEmpty() ? QStringLiteral("無題") : c.opened);
    }
    if (c.fails) {
      ASSERT_EQ(asked.failures.size(), 1);
      EXPECT_EQ(asked.failures[0].first, QStringLiteral("ﾄﾞｷｭﾒﾝﾄの保存に失敗しました。"));
      EXPECT_EQ(w.recentFiles(), recentBefore);
    } else {
      EXPECT_TRUE(asked.failures.isEmpty());
    }
    EXPECT_EQ(w.windowTitle(), c.caption);
    if (!c.writes.isEmpty()) {
      EXPECT_TRUE(QFileInfo(c.writes).isFile());
      EXPECT_EQ(contentOf(c.writes), QByteArray());
      EXPECT_EQ(w.recentFiles().value(0), QFileInfo(c.writes).absoluteFilePath());
    }
    if (c.writes != notes) {
      EXPECT_EQ(contentOf(notes), QByteArray("notes\n"));
    }
    EXPECT_TRUE(QFileInfo(linkToNotes).isSymLink());
    struct stat st {};
    ASSERT_EQ(lstat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(QFileInfo(linkToFifo).isSymLink());
    ASSERT_EQ(stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("no"))));
  }
}

// Enter in an edit field ends a screen like its close box; on a focused push button it
// presses that button.
TEST(ScreenKeys, EnterInAnEditDismissesAndEnterOnAButtonPressesIt) {
  lumo::Navigator navigator(nullptr);
  QObject alive;  // no step outlives the test
  std::vector<std::string> seen;
  int step = 0;
  std::function<void()> drive = [&] {
    lumo::ScreenWindow* w = navigator.current();
    if (!w || !navigator.settled()) {
      QTimer::singleShot(0, &alive, drive);
      return;
    }
    seen.push_back(w->view()->screenClass());
    QTimer::singleShot(0, &alive, drive);
    if (step++ == 0) {
      // On the narrative screen: Enter on the focused "次へ".
      auto* next = qobject_cast<QAbstractButton*>(w->view()->control(1003));
      next->setFocus();
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QApplication::sendEvent(next, &enter);
    } else {
      auto* edit = qobject_cast<QLineEdit*>(w->view()->control(1009));
      ASSERT_TRUE(edit);
      edit->setFocus();
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QApplication::sendEvent(edit, &enter);
    }
  };
  QTimer::singleShot(0, &alive, drive);
  navigator.run("CDialog3");
  EXPECT_EQ(seen, (std::vector<std::string>{"CDialog3", "CDialog4"}));
  EXPECT_EQ(navigator.current(), nullptr);
}

// The spaced-out paragraphs break where their runs of spaces end.
TEST(Narrative, SpacedParagraphsBreakBeforeEachSentence) {
  struct Case {
    const char* screen;
    const char* lineStart;  // must begin a line of the paragraph
  };
  const Case cases[] = {{"CDialog3", "このボケを取り除くのに使用されるのが"},
                        {"CDialog3", "①Ramp  ②Shepp-Logan"},
                        {"CDialog7", "ントソースを用いて再構成フィルタの効果を経験してみます。"}};
  for (const Case& c : cases) {
    lumo::ScreenView view(c.screen);
    bool found = false;
    for (QLabel* label : view.findChildren<QLabel*>()) {
      for (const QString& line : label->text().split('\n'))
        if (line == QString::fromUtf8(c.lineStart)) found = true;
    }
    EXPECT_TRUE(found) << c.screen << ": " << c.lineStart;
  }
}

// The bars' context menu offers the View menu's own two entries, in Japanese, and each
// bar has one state: hidden from the menu, the context menu or the program, its check
// mark follows, and one click shows it again.
TEST_F(Shell, EachBarHasOneStateWhateverHidesIt) {
  lumo::MainWindow w;
  w.show();
  auto* toolBar = w.findChild<QToolBar*>(QStringLiteral("toolbar"));
  auto* showToolBar = w.findChild<QAction*>(QStringLiteral("showToolBar"));
  auto* showStatus = w.findChild<QAction*>(QStringLiteral("showStatusBar"));
  ASSERT_TRUE(toolBar && showToolBar && showStatus);

  std::unique_ptr<QMenu> popup(w.createPopupMenu());
  ASSERT_TRUE(popup);
  QStringList texts;
  for (QAction* a : popup->actions()) texts << a->text();
  EXPECT_EQ(texts, (QStringList{QStringLiteral("ﾂｰﾙ ﾊﾞｰ(&T)"), QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰ(&S)")}));
  EXPECT_EQ(popup->actions(), (QList<QAction*>{showToolBar, showStatus}));

  popup->actions()[0]->trigger();  // hidden from the context menu
  EXPECT_FALSE(toolBar->isVisible());
  EXPECT_FALSE(showToolBar->isChecked());
  showToolBar->trigger();  // one click in the View menu shows it again
  EXPECT_TRUE(toolBar->isVisible());
  toolBar->hide();  // hidden by other means
  EXPECT_FALSE(showToolBar->isChecked());
  toolBar->show();
  EXPECT_TRUE(showToolBar->isChecked());

  w.statusBar()->hide();
  EXPECT_FALSE(showStatus->isChecked());
  showStatus->trigger();
  EXPECT_TRUE(w.statusBar()->isVisible());
  EXPECT_TRUE(showStatus->isChecked());
  // Hiding the window hides no bar for good.
  w.hide();
  EXPECT_TRUE(showStatus->isChecked());
  EXPECT_TRUE(showToolBar->isChecked());
}

// The window keeps the start view's size: no grip invites a drag.
TEST_F(Shell, TheStatusBarHasNoSizeGrip) {
  lumo::MainWindow w;
  EXPECT_FALSE(w.statusBar()->isSizeGripEnabled());
  EXPECT_EQ(w.minimumSize(), w.maximumSize());
}

TEST_F(Shell, TheKeyIndicatorsShowTheLocksAndStayOffWhereThePlatformCannotTell) {
  lumo::MainWindow w;
  auto lit = [&w] {
    std::string on;
    for (const char* name : {"ｶﾅ", "CAP", "NUM", "SCRL"}) {
      auto* l = w.findChild<QLabel*>(QString::fromUtf8(name));
      if (!l) return std::string("missing ") + name;
      if (l->isEnabled()) on += std::string(name) + " ";
    }
    return on;
  };
  EXPECT_EQ(lit(), "");
  w.showKeyLocks(lumo::KeyLocks{false, true, true, false});
  EXPECT_EQ(lit(), "CAP NUM ");
  w.showKeyLocks(lumo::KeyLocks{true, false, false, true});
  EXPECT_EQ(lit(), "ｶﾅ SCRL ");
  // The offscreen platform knows no lock state.
  EXPECT_FALSE(lumo::keyLocks().has_value());
  w.showKeyLocks(lumo::keyLocks());
  EXPECT_EQ(lit(), "");
}

// The edit entries are disabled, yet pointing at one shows its prompt, as the toolbar's
// buttons for cut, copy and paste do.
TEST_F(Shell, TheDisabledEditEntriesShowTheirPrompts) {
  lumo::MainWindow w;
  w.show();
  QMenu* file = w.menuBar()->actions()[0]->menu();
  const QList<QAction*> entries = file->actions();
  const char* prompts[] = {"直前に行った動作を元に戻す", nullptr, "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存",
                           "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け"};
  for (int sub = 0; sub < 2; ++sub) {
    QMenu* edit = entries[sub]->menu();
    ASSERT_TRUE(edit) << sub;
    edit->popup(QPoint(10, 10));
    const QList<QAction*> actions = edit->actions();
    ASSERT_EQ(actions.size(), 5);
    for (int i = 0; i < 5; ++i) {
      if (!prompts[i]) continue;
      SCOPED_TRACE(prompts[i]);
      EXPECT_FALSE(actions[i]->isEnabled());
      const QPointF at = edit->actionGeometry(actions[i]).center();
      QMouseEvent move(QEvent::MouseMove, at, edit->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(edit, &move);
      EXPECT_EQ(w.statusBar()->currentMessage(), QString::fromUtf8(prompts[i]));
    }
    edit->hide();
    EXPECT_EQ(w.statusBar()->currentMessage(), QStringLiteral("ﾚﾃﾞｨ"));
  }
}

// Qt's own dialogs, message boxes and context menus speak Japanese.
TEST(FrameworkTexts, QtsOwnTextsAreJapanese) {
  ASSERT_TRUE(lumo::installFrameworkTranslations(*QCoreApplication::instance()))
      << "qtbase_ja is missing: run scripts/setup.sh";
  QDialogButtonBox box(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
  EXPECT_EQ(box.button(QDialogButtonBox::Open)->text(), QStringLiteral("開く"));
  QLineEdit edit;
  std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
  QStringList texts;
  for (QAction* a : menu->actions()) texts << a->text().section('\t', 0, 0);
  EXPECT_TRUE(texts.contains(QStringLiteral("コピー(&C)"))) << texts.join(' ').toStdString();
}

// 印刷 on the toolbar (and Ctrl+P) leads to Qt's print dialog; the start view renders
// nothing of its own.
TEST_F(Shell, PrintOpensThePrintDialog) {
  lumo::MainWindow w;
  auto* toolBar = w.findChild<QToolBar*>(QStringLiteral("toolbar"));
  ASSERT_TRUE(toolBar);
  QAction* print = toolBar->actions()[8];
  EXPECT_TRUE(print->isEnabled());
  EXPECT_EQ(print->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
  bool dialogShown = false;
  QTimer::singleShot(0, [&] {
    if (auto* d = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
      dialogShown = true;
      d->reject();
    }
  });
  print->trigger();
  EXPECT_TRUE(dialogShown);
}
