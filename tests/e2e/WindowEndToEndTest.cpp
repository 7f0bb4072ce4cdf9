// The program in a real X server (Xvfb), driven with real X11 input events (xdotool):
// "実行" opens the main menu, "前処理フィルタの周波数特性" opens the pre-filter study,
// typed entries and "表示" draw the Butterworth curve on screen (read back with xwd),
// Esc brings the start view back and "実行" works again.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/DialogTemplate.h"
#include "app/ScreenView.h"
#include "support/ClipboardManager.h"
#include "support/XServer.h"

namespace {

using namespace lumo::test;

// The centre of a control of a template, in screen pixels, for a window at `origin`.
QPoint centreOf(int templateId, int control, const Geometry& origin) {
  const lumo::DialogTemplate tpl = lumo::loadTemplate(templateId);
  const lumo::ControlTemplate* c = tpl.control(control);
  if (!c) return {-1, -1};
  const lumo::PixelRect r = tpl.pixels(c->rect);
  return {origin.x + (r.left + r.right) / 2, origin.y + (r.top + r.bottom) / 2};
}

int countColour(const Screenshot& s, int x0, int y0, int x1, int y1, std::uint32_t rgb) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += s.at(x, y) == rgb;
  return n;
}

// The start view's face begins below the menu bar and toolbar: the first row from which
// the left edge of the main window shows the silver face for a good stretch.
std::optional<int> startViewTop(const Screenshot& s) {
  for (int y = 0; y < s.height - 100; ++y) {
    bool silver = true;
    for (int k = 0; k < 100 && silver; ++k) silver = s.at(10, y + k) == 0xC0C0C0u;
    if (silver) return y;
  }
  return std::nullopt;
}

// The screen row where the start view of the main window begins, once it is painted.
std::optional<int> waitForStartView(const XServer& x, const QString& mainWindow, const Geometry& g) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (auto s = x.screenshot(mainWindow))
      if (const auto top = startViewTop(*s)) return g.y + *top;
    QThread::msleep(100);
  }
  return std::nullopt;
}

const QString kMainMenu = QStringLiteral("^ミルテナ　メインウインドウ$");
const QString kStudy = QStringLiteral("^前処理フィルタの周波数特性$");

// A window of the program on screen: its id and place.
struct Shown {
  QString window;
  Geometry at;
};

// The pre-filter study, opened as a student does: 実行 on the start view (its face
// begins at screen row `top` of the main window at `main`), then the study's button on
// the main menu. Nothing when a step did not happen.
std::optional<Shown> openPreFilterStudy(const XServer& x, const Geometry& main, int top) {
  const QPoint run = centreOf(101, 1003, Geometry{main.x, top, 0, 0});
  if (!x.click(run.x(), run.y())) return std::nullopt;
  const auto menu = x.waitForWindow(kMainMenu);
  const auto menuAt = menu ? x.geometry(*menu) : std::nullopt;
  if (!menuAt) return std::nullopt;
  QThread::msleep(300);  // the dialog maps before its first paint
  const QPoint study = centreOf(130, 1020, *menuAt);
  if (!x.click(study.x(), study.y())) return std::nullopt;
  const auto window = x.waitForWindow(kStudy);
  const auto at = window ? x.geometry(*window) : std::nullopt;
  if (!at) return std::nullopt;
  QThread::msleep(300);
  return Shown{*window, *at};
}

}  // namespace

TEST(WindowEndToEnd, RunOpenTheStudyTypePressAndEscapeWithRealInput) {
  for (const char* tool : {"Xvfb", "xdotool", "xwd"})
    ASSERT_TRUE(haveTool(tool)) << tool << " is missing: run scripts/setup.sh";
  XServer x;
  ASSERT_FALSE(x.display().isEmpty()) << "Xvfb did not start";
  QTemporaryDir config;
  ASSERT_TRUE(config.isValid());
  ASSERT_TRUE(x.startLumo(config.path()));

  const QString mainName = QStringLiteral("^無題 - Lumo$");
  const auto mainWindow = x.waitForWindow(mainName);
  ASSERT_TRUE(mainWindow) << "the main window did not appear";
  const auto mainGeometry = x.geometry(*mainWindow);
  ASSERT_TRUE(mainGeometry);
  EXPECT_EQ(mainGeometry->x, 0);
  EXPECT_EQ(mainGeometry->y, 0);

  // Wait for the first paint of the start view, then press "実行" where the user sees it,
  // and the study's button on the main menu.
  const std::optional<int> top = waitForStartView(x, *mainWindow, *mainGeometry);
  ASSERT_TRUE(top) << "the start view's face is not on screen";
  const auto opened = openPreFilterStudy(x, *mainGeometry, *top);
  ASSERT_TRUE(opened) << "実行 and the main menu's button did not open the pre-filter study";
  ASSERT_TRUE(x.waitForNoWindow(kMainMenu)) << "the main menu stayed open";
  const QString& studyWindow = opened->window;
  const Geometry& g = opened->at;

  const lumo::PixelRect plot = lumo::toPixels(lumo::loadTemplate(182).control(1007)->rect);
  const int px0 = plot.left, py0 = plot.top, px1 = plot.right, py1 = plot.bottom;
  const std::uint32_t blue = 0x0000FFu;  // the Butterworth curve, as the screen shows it
  {
    const auto before = x.screenshot(studyWindow);
    ASSERT_TRUE(before);
    EXPECT_EQ(countColour(*before, px0, py0, px1, py1, blue), 0);
    // The frame's client area is painted: the face, not an unpainted window.
    EXPECT_GT(countColour(*before, px0, py0, px1, py1, 0xC0C0C0u), (px1 - px0) * (py1 - py0) / 2);
  }

  const QPoint cutOff = centreOf(182, 1010, g), order = centreOf(182, 1012, g), show = centreOf(182, 1020, g);
  ASSERT_TRUE(x.click(cutOff.x(), cutOff.y()));
  ASSERT_TRUE(x.type(QStringLiteral("0.25")));
  ASSERT_TRUE(x.click(order.x(), order.y()));
  ASSERT_TRUE(x.type(QStringLiteral("2")));
  ASSERT_TRUE(x.click(show.x(), show.y()));

  int curve = 0;
  int axes = 0;
  for (int attempt = 0; attempt < 100 && curve < 100; ++attempt) {
    QThread::msleep(100);
    if (const auto s = x.screenshot(studyWindow)) {
      curve = countColour(*s, px0, py0, px1, py1, blue);
      axes = countColour(*s, px0, py0, px1, py1, 0x000000u);
    }
  }
  EXPECT_GE(curve, 100) << "the Butterworth curve is not on screen";
  EXPECT_GE(axes, 300) << "the axes are not on screen";

  // Esc ends the study; the start view is back and its run button works again.
  ASSERT_TRUE(x.key(QStringLiteral("Escape")));
  ASSERT_TRUE(x.waitForNoWindow(kStudy)) << "Esc did not end the study";
  EXPECT_TRUE(x.lumoRunning());
  ASSERT_TRUE(x.waitForWindow(mainName));
  QThread::msleep(300);
  const auto back = x.screenshot(*mainWindow);
  ASSERT_TRUE(back);
  EXPECT_EQ(mainGeometry->y + startViewTop(*back).value_or(-1), *top) << "the start view is not shown";
  const QPoint run = centreOf(101, 1003, Geometry{mainGeometry->x, *top, 0, 0});
  ASSERT_TRUE(x.click(run.x(), run.y()));
  EXPECT_TRUE(x.waitForWindow(kMainMenu)) << "実行 no longer opens the main menu";
  EXPECT_TRUE(x.lumoRunning());
}

namespace {

// A window property as xprop prints it ("NAME(TYPE) = value"), empty when unreadable.
QByteArray property(const XServer& x, const QString& window, const char* name) {
  return run(x.display(), "xprop", {"-id", window, QString::fromLatin1(name)}).out.trimmed();
}

// How many pixels of the status bar's right end (the key indicators) are dark text: a
// lit indicator's letters are black, an unlit one's grey.
int indicatorInk(const Screenshot& s) {
  int n = 0;
  for (int y = s.height - 20; y < s.height; ++y)
    for (int x = s.width - 160; x < s.width; ++x) {
      const std::uint32_t p = s.at(x, y);
      n += ((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60;
    }
  return n;
}

}  // namespace

// Every window carries the application icon; a narrative screen's title bar is as
// empty as its template's caption; CAP follows the Caps Lock key.
TEST(WindowEndToEnd, IconsEmptyCaptionsAndTheCapsLockIndicator) {
  for (const char* tool : {"Xvfb", "xdotool", "xwd", "xprop"})
    ASSERT_TRUE(haveTool(tool)) << tool << " is missing: run scripts/setup.sh";
  XServer x;
  ASSERT_FALSE(x.display().isEmpty()) << "Xvfb did not start";
  QTemporaryDir config;
  ASSERT_TRUE(x.startLumo(config.path()));
  const auto mainWindow = x.waitForWindow(QStringLiteral("^無題 - Lumo$"));
  ASSERT_TRUE(mainWindow);
  EXPECT_TRUE(property(x, *mainWindow, "_NET_WM_ICON").contains("Icon (48 x 48)"));
  const auto g = x.geometry(*mainWindow);
  ASSERT_TRUE(g);

  const std::optional<int> top = waitForStartView(x, *mainWindow, *g);
  ASSERT_TRUE(top);

  // Caps Lock on and off again, with the window holding the keyboard focus.
  ASSERT_TRUE(x.click(g->x + 20, *top + 20));
  const auto before = x.screenshot(*mainWindow);
  ASSERT_TRUE(before);
  ASSERT_TRUE(x.key(QStringLiteral("Caps_Lock")));
  int lit = indicatorInk(*before);
  for (int attempt = 0; attempt < 50 && lit <= indicatorInk(*before); ++attempt) {
    QThread::msleep(100);
    if (const auto s = x.screenshot(*mainWindow)) lit = indicatorInk(*s);
  }
  EXPECT_GT(lit, indicatorInk(*before) + 10) << "CAP did not light up";
  ASSERT_TRUE(x.key(QStringLiteral("Caps_Lock")));
  int off = lit;
  for (int attempt = 0; attempt < 50 && off > indicatorInk(*before); ++attempt) {
    QThread::msleep(100);
    if (const auto s = x.screenshot(*mainWindow)) off = indicatorInk(*s);
  }
  EXPECT_EQ(off, indicatorInk(*before)) << "CAP did not go out";

  // 実行, then the tutorial and its first narrative screen.
  const QPoint runButton = centreOf(101, 1003, Geometry{g->x, *top, 0, 0});
  ASSERT_TRUE(x.click(runButton.x(), runButton.y()));
  const auto menu = x.waitForWindow(QStringLiteral("^ミルテナ　メインウインドウ$"));
  ASSERT_TRUE(menu);
  EXPECT_TRUE(property(x, *menu, "_NET_WM_ICON").contains("Icon (48 x 48)"));
  const auto mg = x.geometry(*menu);
  ASSERT_TRUE(mg);
  QThread::msleep(300);
  const QPoint tutorial = centreOf(130, 1011, *mg);
  ASSERT_TRUE(x.click(tutorial.x(), tutorial.y()));
  const QString overviewName = QStringLiteral("^画像再構成の概略$");
  const auto overview = x.waitForWindow(overviewName);
  ASSERT_TRUE(overview);
  const auto og = x.geometry(*overview);
  ASSERT_TRUE(og);
  QThread::msleep(300);
  const QPoint next = centreOf(135, 1020, *og);
  ASSERT_TRUE(x.click(next.x(), next.y()));
  ASSERT_TRUE(x.waitForNoWindow(overviewName));

  // The narrative screen is the one visible window of the program besides the main window.
  std::optional<QString> narrative;
  for (int attempt = 0; attempt < 100 && !narrative; ++attempt) {
    const auto r = run(x.display(), "xdotool", {"search", "--onlyvisible", "--class", "Lumo"});
    for (const QByteArray& id : r.out.trimmed().split('\n'))
      if (!id.isEmpty() && QString::fromLatin1(id) != *mainWindow) narrative = QString::fromLatin1(id);
    if (!narrative) QThread::msleep(100);
  }
  ASSERT_TRUE(narrative) << "次へ did not open the narrative screen";
  EXPECT_EQ(property(x, *narrative, "_NET_WM_NAME"), QByteArray("_NET_WM_NAME(UTF8_STRING) ="));
  EXPECT_TRUE(property(x, *narrative, "_NET_WM_ICON").contains("Icon (48 x 48)"));
}

// Ctrl+S on a document opened from a file with notes in it: the Save As dialog comes up
// instead of a silent overwrite, and cancelling it leaves the notes. A save that fails
// (/proc) and a file that cannot be opened show the framework's message box.
TEST(WindowEndToEnd, SavingOverNotesAsksAndFailuresShowAMessage) {
  for (const char* tool : {"Xvfb", "xdotool", "xwd"})
    ASSERT_TRUE(haveTool(tool)) << tool << " is missing: run scripts/setup.sh";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString notes = dir.filePath(QStringLiteral("a.txt"));
  {
    QFile f(notes);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("notes\n");
  }
  struct Case {
    const char* what;
    QString file;
    QString caption;   // the main window's, before and after
    bool save;         // press Ctrl+S
    QString expected;  // the window that must come up
  } cases[] = {
      {"a file with notes", notes, QStringLiteral("^a.txt - Lumo$"), true, QStringLiteral("^名前を付けて保存$")},
      {"a file nobody can write", QStringLiteral("/proc/version"), QStringLiteral("^version - Lumo$"), true,
       QStringLiteral("^Lumo$")},
      {"a file that is not there", QStringLiteral("/nonexistent/zz.dat"), QStringLiteral("^無題 - Lumo$"), false,
       QStringLiteral("^Lumo$")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    XServer x;
    ASSERT_FALSE(x.display().isEmpty()) << "Xvfb did not start";
    QTemporaryDir config;
    ASSERT_TRUE(x.startLumo(config.path(), {c.file}));
    const auto mainWindow = x.waitForWindow(c.caption);
    ASSERT_TRUE(mainWindow) << "the main window did not appear";
    if (c.save) {
      const auto g = x.geometry(*mainWindow);
      ASSERT_TRUE(g);
      QThread::msleep(300);
      ASSERT_TRUE(x.click(g->x + g->w / 2, g->y + g->h - 60));  // the start view's face: focus
      ASSERT_TRUE(x.key(QStringLiteral("ctrl+s")));
    }
    ASSERT_TRUE(x.waitForWindow(c.expected)) << "no dialog or message came up";
    QThread::msleep(300);
    ASSERT_TRUE(x.key(QStringLiteral("Escape")));
    EXPECT_TRUE(x.waitForNoWindow(c.expected));
    EXPECT_TRUE(x.lumoRunning());
    EXPECT_TRUE(x.waitForWindow(c.caption)) << "the caption changed";
  }
  QFile f(notes);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("notes\n"));
}

// Text copied in the program stays on the clipboard after the program ends: as it
// leaves, the program hands the text to the desktop's clipboard manager.
TEST(WindowEndToEnd, CopiedTextOutlivesTheProgram) {
  for (const char* tool : {"Xvfb", "xdotool", "xwd"})
    ASSERT_TRUE(haveTool(tool)) << tool << " is missing: run scripts/setup.sh";
  XServer x;
  ASSERT_FALSE(x.display().isEmpty()) << "Xvfb did not start";
  ClipboardManager manager(x.display().toStdString());
  ASSERT_TRUE(manager.running());
  QTemporaryDir config;
  ASSERT_TRUE(config.isValid());
  ASSERT_TRUE(x.startLumo(config.path()));

  const QString mainName = QStringLiteral("^無題 - Lumo$");
  const auto mainWindow = x.waitForWindow(mainName);
  ASSERT_TRUE(mainWindow);
  const auto g = x.geometry(*mainWindow);
  ASSERT_TRUE(g);
  const std::optional<int> top = waitForStartView(x, *mainWindow, *g);
  ASSERT_TRUE(top);
  const auto study = openPreFilterStudy(x, *g, *top);
  ASSERT_TRUE(study);

  // Type a cut-off, select it and copy it.
  const QPoint cutOff = centreOf(182, 1010, study->at);
  ASSERT_TRUE(x.click(cutOff.x(), cutOff.y()));
  ASSERT_TRUE(x.type(QStringLiteral("0.3125")));
  ASSERT_TRUE(x.key(QStringLiteral("ctrl+a")));
  ASSERT_TRUE(x.key(QStringLiteral("ctrl+c")));

  // Leave the study and end the program from its menu: ﾌｧｲﾙ → ｱﾌﾟﾘｹｰｼｮﾝの終了.
  ASSERT_TRUE(x.key(QStringLiteral("Escape")));
  ASSERT_TRUE(x.waitForNoWindow(kStudy));
  ASSERT_TRUE(x.waitForWindow(mainName));
  QThread::msleep(300);
  ASSERT_TRUE(x.click(g->x + 20, *top + 20));  // the keyboard goes where the pointer is
  ASSERT_TRUE(x.key(QStringLiteral("alt+f")));
  QThread::msleep(300);
  ASSERT_TRUE(x.key(QStringLiteral("x")));
  EXPECT_EQ(x.waitForLumoExit(), std::optional<int>(0)) << "the program did not end";
  EXPECT_EQ(manager.savedText(), "0.3125");
}
