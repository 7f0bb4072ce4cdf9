#pragma once
// A private X server (Xvfb) for tests of the real window, with the X tools that drive it
// (xdotool) and read it back (xwd).
#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <cstdint>
#include <optional>
#include <vector>

namespace lumo::test {

constexpr int kWaitMs = 20000;

// Whether an X tool (Xvfb, xdotool, xwd, xprop) is on the PATH.
inline bool haveTool(const char* name) {
  return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
}

struct Run {
  bool ok = false;
  QByteArray out;
};

// Runs a helper program to its end (with a time limit) on the given display.
inline Run run(const QString& display, const QString& program, const QStringList& args, int timeoutMs = 10000) {
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

inline std::optional<Screenshot> parseXwd(const QByteArray& d) {
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
  // `screen` is the screen's width x height x depth (the lab's window needs a wide one).
  explicit XServer(const QString& screen = QStringLiteral("1280x1024x24")) {
    // -displayfd picks a free display number and writes it to our end of the pipe; the
    // resolution is fixed at 96 dpi so that the program's scale factor is 1 whatever
    // the server's default.
    xvfb_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                         QStringLiteral("0"), screen, QStringLiteral("-dpi"), QStringLiteral("96"),
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
  // The program's exit status once it has ended of itself, nothing when it did not end
  // in time or crashed.
  std::optional<int> waitForLumoExit() {
    if (!lumo_.waitForFinished(kWaitMs) || lumo_.exitStatus() != QProcess::NormalExit) return std::nullopt;
    return lumo_.exitCode();
  }

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
  bool rightClick(int x, int y) const {
    return run(display_, "xdotool", {"mousemove", "--sync", QString::number(x), QString::number(y)}).ok &&
           run(display_, "xdotool", {"click", "3"}).ok;
  }
  // Presses the left button at one point, moves in a few steps to the other, releases.
  bool drag(int x0, int y0, int x1, int y1) const {
    if (!run(display_, "xdotool", {"mousemove", "--sync", QString::number(x0), QString::number(y0)}).ok) return false;
    if (!run(display_, "xdotool", {"mousedown", "1"}).ok) return false;
    for (int k = 1; k <= 4; ++k) {
      const int x = x0 + (x1 - x0) * k / 4, y = y0 + (y1 - y0) * k / 4;
      if (!run(display_, "xdotool", {"mousemove", "--sync", QString::number(x), QString::number(y)}).ok) return false;
      QThread::msleep(30);
    }
    return run(display_, "xdotool", {"mouseup", "1"}).ok;
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

}  // namespace lumo::test
