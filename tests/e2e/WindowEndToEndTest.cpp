// The program in a real X server (Xvfb), driven with real X11 input events (xdotool):
// "実行" opens the main menu, "前処理フィルタの周波数特性" opens the pre-filter study,
// typed entries and "表示" draw the Butterworth curve on screen (read back with xwd),
// Esc brings the start view back and "実行" works again.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/DialogTemplate.h"
#include "app/ScreenView.h"

namespace {

constexpr int kWaitMs = 20000;

struct Run {
  bool ok = false;
  QByteArray out;
};

// Runs a helper program to its end (with a time limit) on the given display.
Run run(const QString& display, const QString& program, const QStringList& args, int timeoutMs = 10000) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DISPLAY", display);
  p.setProcessEnvironment(env);
  p.start(program, args);
  Run r;
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
  r.out = p.readAllStandardOutput();
  return r;
}

// The root window's pixels as 0x00RRGGBB, read from xwd's dump.
struct Screenshot {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFFu;
    return pixels[static_cast<std::size_t>(y) * width + x];
  }
};

std::optional<Screenshot> parseXwd(const QByteArray& d) {
  auto card = [&](int i) -> std::uint32_t {
    const auto* p = reinterpret_cast<const unsigned char*>(d.constData()) + 4 * i;
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
  };
  if (d.size() < 100) return std::nullopt;
  const std::uint32_t headerSize = card(0), format = card(2), width = card(4), height = card(5),
                      byteOrder = card(7), bitsPerPixel = card(11), bytesPerLine = card(12), redMask = card(14),
                      greenMask = card(15), blueMask = card(16), colours = card(19);
  // Xvfb at depth 24 dumps three bytes a pixel, other servers four.
  const std::uint32_t bytesPerPixel = bitsPerPixel / 8;
  if (format != 2 || (bytesPerPixel != 3 && bytesPerPixel != 4) || redMask != 0xFF0000u || greenMask != 0xFF00u ||
      blueMask != 0xFFu || bytesPerLine < bytesPerPixel * width)
    return std::nullopt;
  const std::size_t start = headerSize + 12u * colours;
  if (static_cast<std::size_t>(d.size()) < start + std::size_t(bytesPerLine) * height) return std::nullopt;
  Screenshot s;
  s.width = static_cast<int>(width);
  s.height = static_cast<int>(height);
  s.pixels.resize(std::size_t(width) * height);
  const auto* base = reinterpret_cast<const unsigned char*>(d.constData()) + start;
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      const unsigned char* p = base + std::size_t(y) * bytesPerLine + bytesPerPixel * x;
      std::uint32_t v = 0;
      for (std::uint32_t k = 0; k < bytesPerPixel; ++k) {
        const std::uint32_t byte = p[byteOrder == 0 ? k : bytesPerPixel - 1 - k];
        v |= byte << (8 * k);
      }
      s.pixels[std::size_t(y) * width + x] = v & 0xFFFFFFu;
    }
  }
  return s;
}

struct Geometry {
  int x = 0, y = 0, w = 0, h = 0;
};

// A private X server, ended with the test whatever happens.
class XServer {
 public:
  XServer() {
    // -displayfd picks a free display number and writes it to our end of the pipe; the
    // resolution is fixed at 96 dpi so that the program's scale factor is 1 whatever
    // the server's default.
    xvfb_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                         QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-dpi"), QStringLiteral("96"),
                                         QStringLiteral("-nolisten"),
                                         QStringLiteral("tcp"), QStringLiteral("-noreset")});
    QElapsedTimer t;
    t.start();
    QByteArray out;
    while (t.elapsed() < kWaitMs && !out.contains('\n')) {
      xvfb_.waitForReadyRead(200);
      out += xvfb_.readAllStandardOutput();
      if (xvfb_.state() == QProcess::NotRunning) break;
    }
    bool ok = false;
    const int n = out.trimmed().toInt(&ok);
    if (ok) display_ = QStringLiteral(":%1").arg(n);
  }
  ~XServer() {
    if (lumo_.state() != QProcess::NotRunning) {
      lumo_.kill();
      lumo_.waitForFinished(5000);
    }
    xvfb_.terminate();
    if (!xvfb_.waitForFinished(5000)) {
      xvfb_.kill();
      xvfb_.waitForFinished(5000);
    }
  }
  const QString& display() const { return display_; }

  bool startLumo(const QString& configDir, const QStringList& args = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display_);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_CONFIG_HOME", configDir);
    env.remove("WAYLAND_DISPLAY");
    lumo_.setProcessEnvironment(env);
    lumo_.start(QStringLiteral(LUMO_BINARY_DIR "/lumo"), args);
    return lumo_.waitForStarted(kWaitMs);
  }
  bool lumoRunning() const { return lumo_.state() == QProcess::Running; }

  // The first visible window whose name matches, once it is there.
  std::optional<QString> waitForWindow(const QString& namePattern) const {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < kWaitMs) {
      const Run r = run(display_, "xdotool", {"search", "--onlyvisible", "--name", namePattern});
      const QList<QByteArray> ids = r.out.trimmed().split('\n');
      if (r.ok && !ids.isEmpty() && !ids.front().isEmpty()) return QString::fromLatin1(ids.front());
      QThread::msleep(100);
    }
    return std::nullopt;
  }
  bool waitForNoWindow(const QString& namePattern) const {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < kWaitMs) {
      const Run r = run(display_, "xdotool", {"search", "--onlyvisible", "--name", namePattern});
      if (r.out.trimmed().isEmpty()) return true;
      QThread::msleep(100);
    }
    return false;
  }
  std::optional<Geometry> geometry(const QString& window) const {
    const Run r = run(display_, "xdotool", {"getwindowgeometry", "--shell", window});
    if (!r.ok) return std::nullopt;
    Geometry g;
    for (const QByteArray& line : r.out.split('\n')) {
      const QList<QByteArray> kv = line.split('=');
      if (kv.size() != 2) continue;
      const int v = kv[1].toInt();
      if (kv[0] == "X") g.x = v;
      if (kv[0] == "Y") g.y = v;
      if (kv[0] == "WIDTH") g.w = v;
      if (kv[0] == "HEIGHT") g.h = v;
    }
    return g;
  }
  bool click(int x, int y) const {
    return run(display_, "xdotool", {"mousemove", "--sync", QString::number(x), QString::number(y)}).ok &&
           run(display_, "xdotool", {"click", "1"}).ok;
  }
  bool type(const QString& text) const { return run(display_, "xdotool", {"type", "--delay", "30", text}).ok; }
  bool key(const QString& name) const { return run(display_, "xdotool", {"key", name}).ok; }
  // One window's pixels, relative to its top left corner. (A dump of the root window
  // shows Qt's dialogs black under Xvfb: they use another pixel format than the root.)
  std::optional<Screenshot> screenshot(const QString& window) const {
    const Run r = run(display_, "xwd", {"-id", window, "-silent"});
    if (!r.ok) return std::nullopt;
    return parseXwd(r.out);
  }

 private:
  QProcess xvfb_;
  QProcess lumo_;
  QString display_;
};

// The centre of a control of a template, in screen pixels, for a window at `origin`.
QPoint centreOf(int templateId, int control, const Geometry& origin) {
  const lumo::DialogTemplate tpl = lumo::loadTemplate(templateId);
  const lumo::ControlTemplate* c = tpl.control(control);
  if (!c) return {-1, -1};
  const lumo::PixelRect r = lumo::toPixels(c->rect);
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

bool haveTool(const char* name) { return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty(); }

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

  // Wait for the first paint of the start view, then press "実行" where the user sees it.
  std::optional<int> top;
  for (int attempt = 0; attempt < 100 && !top; ++attempt) {
    if (auto s = x.screenshot(*mainWindow)) top = mainGeometry->y + startViewTop(*s).value_or(-1'000'000);
    if (top && *top < 0) top.reset();
    if (!top) QThread::msleep(100);
  }
  ASSERT_TRUE(top) << "the start view's face is not on screen";
  const Geometry startView{mainGeometry->x, *top, 0, 0};
  const QPoint run = centreOf(101, 1003, startView);
  ASSERT_TRUE(x.click(run.x(), run.y()));

  const QString menuName = QStringLiteral("^ミルテナ　メインウインドウ$");
  const auto menu = x.waitForWindow(menuName);
  ASSERT_TRUE(menu) << "実行 did not open the main menu";
  const auto menuGeometry = x.geometry(*menu);
  ASSERT_TRUE(menuGeometry);
  const QPoint study = centreOf(130, 1020, *menuGeometry);
  QThread::msleep(300);  // the dialog maps before its first paint
  ASSERT_TRUE(x.click(study.x(), study.y()));

  const QString studyName = QStringLiteral("^前処理フィルタの周波数特性$");
  const auto studyWindow = x.waitForWindow(studyName);
  ASSERT_TRUE(studyWindow) << "the main menu button did not open the pre-filter study";
  ASSERT_TRUE(x.waitForNoWindow(menuName)) << "the main menu stayed open";
  const auto g = x.geometry(*studyWindow);
  ASSERT_TRUE(g);
  QThread::msleep(300);

  const lumo::PixelRect plot = lumo::toPixels(lumo::loadTemplate(182).control(1007)->rect);
  const int px0 = plot.left, py0 = plot.top, px1 = plot.right, py1 = plot.bottom;
  const std::uint32_t blue = 0x0000FFu;  // the Butterworth curve, as the screen shows it
  {
    const auto before = x.screenshot(*studyWindow);
    ASSERT_TRUE(before);
    EXPECT_EQ(countColour(*before, px0, py0, px1, py1, blue), 0);
    // The frame's client area is painted: the face, not an unpainted window.
    EXPECT_GT(countColour(*before, px0, py0, px1, py1, 0xC0C0C0u), (px1 - px0) * (py1 - py0) / 2);
  }

  const QPoint cutOff = centreOf(182, 1010, *g), order = centreOf(182, 1012, *g), show = centreOf(182, 1020, *g);
  ASSERT_TRUE(x.click(cutOff.x(), cutOff.y()));
  ASSERT_TRUE(x.type(QStringLiteral("0.25")));
  ASSERT_TRUE(x.click(order.x(), order.y()));
  ASSERT_TRUE(x.type(QStringLiteral("2")));
  ASSERT_TRUE(x.click(show.x(), show.y()));

  int curve = 0;
  int axes = 0;
  for (int attempt = 0; attempt < 100 && curve < 100; ++attempt) {
    QThread::msleep(100);
    if (const auto s = x.screenshot(*studyWindow)) {
      curve = countColour(*s, px0, py0, px1, py1, blue);
      axes = countColour(*s, px0, py0, px1, py1, 0x000000u);
    }
  }
  EXPECT_GE(curve, 100) << "the Butterworth curve is not on screen";
  EXPECT_GE(axes, 300) << "the axes are not on screen";

  // Esc ends the study; the start view is back and its run button works again.
  ASSERT_TRUE(x.key(QStringLiteral("Escape")));
  ASSERT_TRUE(x.waitForNoWindow(studyName)) << "Esc did not end the study";
  EXPECT_TRUE(x.lumoRunning());
  ASSERT_TRUE(x.waitForWindow(mainName));
  QThread::msleep(300);
  const auto back = x.screenshot(*mainWindow);
  ASSERT_TRUE(back);
  EXPECT_EQ(mainGeometry->y + startViewTop(*back).value_or(-1), *top) << "the start view is not shown";
  ASSERT_TRUE(x.click(run.x(), run.y()));
  EXPECT_TRUE(x.waitForWindow(menuName)) << "実行 no longer opens the main menu";
  EXPECT_TRUE(x.lumoRunning());
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
