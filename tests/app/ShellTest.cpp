// The main window: caption, bars, menu entries, the document and its recent files.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

#include "app/MainWindow.h"
#include "app/Navigator.h"

namespace {

class Shell : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
  }
  QTemporaryDir settingsDir;
};

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
    if (tips[i]) EXPECT_EQ(entries[i]->toolTip(), QString::fromUtf8(tips[i])) << i;
    if (!separator) EXPECT_FALSE(entries[i]->icon().isNull()) << i;
  }
}

TEST_F(Shell, OpeningAFileReadsNothingAndKeepsTheLastFourInTheProfile) {
  QTemporaryDir files;
  {
    lumo::MainWindow w;
    for (int i = 1; i <= 5; ++i) w.openDocument(files.filePath(QStringLiteral("study%1.lum").arg(i)));
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
  w.openDocument(QStringLiteral("/nonexistent/file"));
  EXPECT_EQ(store.at(0, 0, 0), 0x123456u);
  EXPECT_EQ(before, 0xFFFFFFu);
  store.at(0, 0, 0) = 0xFFFFFF;
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
