// Lumo: a teaching program for SPECT image reconstruction.
//
//   lumo                 the main window
//   lumo FILE            the same, with FILE opened as the (empty) document
//   lumo --run 'CMDS'    drive the screens from a script (see ScenarioRunner.h)
//   lumo --script FILE   the same, with the script in a file (at most 4 MB)
//   lumo --tour DIR      every screen after sample presses, one PNG each
//   lumo --scale N       draw every screen exactly N times larger (N = 1..8), pixel for pixel
//   lumo --lab           the main window with the reconstruction lab open
//   lumo --lab FILE.dcm  the lab with an NM TOMO projection file as its data
//
// One script and one document at most: a second is refused (exit status 2). Scripts
// run on the offscreen platform when no display can be reached; the window then ends
// with status 2 and names the display.
//
// Without --scale the program follows the display's scale factor, rounded to a whole
// number and never above 8: the screens' pictures are pixel-exact and stay crisp only
// when each of their pixels becomes a whole block of screen pixels.
#include <QApplication>
#include <QByteArray>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/ClassicStyle.h"
#include "app/LabModule.h"
#include "app/MainWindow.h"
#include "app/Modules.h"
#include "app/Platform.h"
#include "app/ScenarioRunner.h"

namespace {

void usage() {
  std::fprintf(stderr,
               "usage: lumo [--scale N] [--lab] [FILE] | --run 'COMMANDS' | --script FILE | --tour DIR\n");
}

// A whole scale factor 1..8 from an option's text, 0 when it is not one.
int scaleFactorOf(const char* text) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < 1 || v > 8) return 0;
  return static_cast<int>(v);
}

// Qt multiplies the display's factor by QT_SCALE_FACTOR; a fractional one (set by the
// user's session) is rounded so that the product stays a whole number.
void keepScaleFactorWhole() {
  const char* env = std::getenv("QT_SCALE_FACTOR");
  if (!env || !*env) return;
  char* end = nullptr;
  const double v = std::strtod(env, &end);
  const long whole = std::isfinite(v) ? std::lround(v) : 1;
  const std::string text = std::to_string(whole < 1 ? 1 : whole > 8 ? 8 : whole);
  if (text != env) setenv("QT_SCALE_FACTOR", text.c_str(), 1);
}

double monotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Prints "mapped-ms" at the first exposure of a window and "startup-ms" at the first
// idle moment after it, then quits (bench/startup).
class StartupClock : public QObject {
 public:
  StartupClock(double start, QObject* parent) : QObject(parent), start_(start) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!exposed_ && event->type() == QEvent::Expose && watched->isWindowType() &&
        static_cast<QWindow*>(watched)->isExposed()) {
      exposed_ = true;
      print("mapped-ms");
      QTimer::singleShot(0, this, [this] {
        print("startup-ms");
        QApplication::quit();
      });
    }
    return false;
  }

 private:
  void print(const char* what) const {
    std::printf("%s %s\n", what, QByteArray::number(monotonicMs() - start_, 'f', 3).constData());
    std::fflush(stdout);
  }
  double start_;
  bool exposed_ = false;
};

// The forced factor replaces whatever the display or the environment would give.
void forceScaleFactor(int n) {
  setenv("QT_SCALE_FACTOR", std::to_string(n).c_str(), 1);
  setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
  unsetenv("QT_SCREEN_SCALE_FACTORS");
  unsetenv("QT_USE_PHYSICAL_DPI");
}

// The largest factor the program draws at: beyond it a snapshot outgrows any use.
constexpr int kLargestScale = 8;

// A display, a font DPI or screen factors in the environment can multiply to more than
// the largest factor. Then the program starts again at that factor, once.
void capScaleFactor(char** originalArgv) {
  qreal largest = 1;
  for (QScreen* screen : QGuiApplication::screens()) largest = std::max(largest, screen->devicePixelRatio());
  if (largest <= kLargestScale || std::getenv("LUMO_SCALE_CAPPED")) return;
  std::fprintf(stderr, "lumo: the display and the environment ask for a scale factor of %g; drawing at %d instead\n",
               static_cast<double>(largest), kLargestScale);
  setenv("LUMO_SCALE_CAPPED", "1", 1);
  forceScaleFactor(kLargestScale);
  execv("/proc/self/exe", originalArgv);
  std::fprintf(stderr, "lumo: cannot start again: %s\n", std::strerror(errno));
  std::exit(2);
}

// The platforms to try, in order. Scripts fall back to the offscreen platform when the
// display cannot be reached; the window needs a display, so its list ends in offscreen
// only to notice that none was reached. Returns whether offscreen was asked for.
bool choosePlatform(bool scripted) {
  const char* asked = std::getenv("QT_QPA_PLATFORM");
  std::string list = asked ? asked : "";
  if (list.empty()) {
    if (std::getenv("DISPLAY") && *std::getenv("DISPLAY")) {
      list = "xcb";
    } else if (std::getenv("WAYLAND_DISPLAY") && *std::getenv("WAYLAND_DISPLAY")) {
      list = "wayland";
    }
  }
  const bool offscreenAsked = list.find("offscreen") != std::string::npos;
  if (!offscreenAsked) list += list.empty() ? "offscreen" : ";offscreen";
  setenv("QT_QPA_PLATFORM", list.c_str(), 1);
  return offscreenAsked || scripted;
}

// Why the window found no display, for a message.
std::string displayProblem() {
  if (const char* d = std::getenv("DISPLAY"); d && *d) return std::string("the display '") + d + "' cannot be reached";
  if (const char* w = std::getenv("WAYLAND_DISPLAY"); w && *w)
    return std::string("the Wayland display '") + w + "' cannot be reached";
  return "no display is set (DISPLAY is empty)";
}

// Reads a script file, at most kMaxScriptBytes of it. False (with a message) when it
// cannot be read or is longer.
bool readScript(const char* name, std::string& script) {
  QFile f(QString::fromLocal8Bit(name));
  if (QFileInfo(f.fileName()).isDir() || !f.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "lumo: cannot read script '%s'\n", name);
    return false;
  }
  const QByteArray bytes = f.read(static_cast<qint64>(lumo::kMaxScriptBytes) + 1);
  if (bytes.size() > static_cast<qsizetype>(lumo::kMaxScriptBytes)) {
    std::fprintf(stderr, "lumo: the script '%s' is longer than %zu MB\n", name, lumo::kMaxScriptBytes >> 20);
    return false;
  }
  script = bytes.toStdString();
  return true;
}

// Whether the process must tear Qt and its windows down before it ends, or may end at
// once when the main loop is over. Teardown frees memory, font files, the window's
// shared pixels and the display connection, which the kernel and the X server free at
// exit anyway; in a short run it is about a tenth of the whole. It is kept for what
// outlives the process: text the user cut or copied, which Qt hands over to the
// desktop's clipboard manager as it ends, and the modules, whose threads and files end
// with their own teardown. Sanitizer builds tear everything down, so that the
// destructors are checked too.
bool teardownNeeded() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return true;
#else
  const QClipboard* clipboard = QGuiApplication::clipboard();
  return lumo::anyModuleLoaded() || clipboard->ownsClipboard();
#endif
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> originalArgv(argv, argv + argc);
  originalArgv.push_back(nullptr);
  std::string script;
  std::string scriptOption;  // the one of --run, --script, --tour given
  std::string tourDir;
  bool scaleGiven = false;
  std::string file;
  bool lab = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if ((a == "--run" || a == "--script" || a == "--tour" || a == "--scale") && i + 1 >= argc) {
      usage();
      return 2;
    }
    if (a == "--run" || a == "--script" || a == "--tour") {
      if (!scriptOption.empty()) {
        std::fprintf(stderr, "lumo: one script at a time: '%s' and '%s' were both given\n", scriptOption.c_str(),
                     a.c_str());
        return 2;
      }
      scriptOption = a;
    }
    if (a == "--scale") {
      const int n = scaleFactorOf(argv[++i]);
      if (!n) {
        std::fprintf(stderr, "lumo: --scale takes a whole number from 1 to 8, not '%s'\n", argv[i]);
        return 2;
      }
      if (scaleGiven) {
        std::fprintf(stderr, "lumo: --scale was given twice\n");
        return 2;
      }
      scaleGiven = true;
      forceScaleFactor(n);
    } else if (a == "--run") {
      script = argv[++i];
    } else if (a == "--script") {
      if (!readScript(argv[++i], script)) return 2;
    } else if (a == "--tour") {
      tourDir = argv[++i];
    } else if (a == "--lab") {
      lab = true;
    } else if (a == "--help" || a == "-h") {
      usage();
      return 0;
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      std::fprintf(stderr, "lumo: unknown option '%s'\n", a.c_str());
      usage();
      return 2;
    } else {
      if (!file.empty()) {
        std::fprintf(stderr, "lumo: one document at a time: '%s' and '%s' were both given\n", file.c_str(), a.c_str());
        return 2;
      }
      file = a;
    }
  }
  const bool scripted = !scriptOption.empty();
  std::vector<lumo::ScriptCommand> commands;
  try {
    commands = scriptOption == "--tour" ? lumo::tourCommands(tourDir) : lumo::parseScript(script);
  } catch (const lumo::ScriptError& e) {
    std::fprintf(stderr, "lumo: %s\n", e.what());
    return 2;
  }
  if (scripted && !file.empty()) {
    // A script has no window to show the message in: it is refused before it runs.
    if (!lumo::canOpenDocument(QString::fromLocal8Bit(file.c_str()))) {
      std::fprintf(stderr, "lumo: %s '%s'\n", lumo::kOpenFailed.toStdString().c_str(), file.c_str());
      return 2;
    }
  }

  const bool offscreenWanted = choosePlatform(scripted);

  keepScaleFactorWhole();
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);

  QApplication app(argc, argv);
  // The classic look of the silver dialog face the screens were drawn for.
  QApplication::setStyle(new lumo::ClassicStyle);
  // Every text of the program is Japanese: a Japanese face as the widgets' own font
  // spares each menu, bar and label a search for a fallback font. Its outlines are drawn
  // as designed, unhinted: at the widgets' sizes the face looks the same either way, and
  // the light auto-hinting the desktop asks for by default analyses every kanji's strokes
  // on first use, a tenth of the program's start-up.
  QFont uiFont = QApplication::font();
  uiFont.setFamilies({QStringLiteral("IPAPGothic")});
  uiFont.setHintingPreference(QFont::PreferNoHinting);
  QApplication::setFont(uiFont);
  QApplication::setApplicationName(QStringLiteral("Lumo"));
  QApplication::setWindowIcon(lumo::applicationIcon());
  lumo::installFrameworkTranslations(app);
  QApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));

  if (!offscreenWanted && QGuiApplication::platformName() == QStringLiteral("offscreen")) {
    std::fprintf(stderr, "lumo: cannot open the window: %s\n", displayProblem().c_str());
    return 2;
  }
  capScaleFactor(originalArgv.data());

  // Start-up measurement (bench/startup): with LUMO_STARTUP_T0 set to the launcher's
  // CLOCK_MONOTONIC time in milliseconds, print the time until the main window is first
  // exposed (mapped on the display) and until its event loop then first runs idle, and
  // quit. The clock starts before the window is shown, so it sees the first exposure.
  if (const char* t0 = std::getenv("LUMO_STARTUP_T0")) {
    // QApplication has set the user's locale by now: read and print the number in the
    // C locale, so a comma-decimal locale neither cuts the time short nor prints "12,5".
    app.installEventFilter(new StartupClock(QByteArray(t0).toDouble(), &app));
  }
  lumo::MainWindow window;
  window.show();
  // lumo --lab FILE.dcm opens the file in the lab (any other file is a document).
  const bool dicom = lab && QFileInfo(QString::fromLocal8Bit(file.c_str())).suffix().toLower() == "dcm";
  if (!file.empty() && !dicom) window.openDocument(QString::fromLocal8Bit(file.c_str()));
  if (lab) {
    // A script has no one to show a message box to: it says why on stderr.
    QString why;
    QWidget* labWindow = window.openLab(scripted ? &why : nullptr);
    if (!labWindow) {
      if (scripted) std::fprintf(stderr, "lumo: the reconstruction lab cannot be loaded: %s\n", why.toLocal8Bit().constData());
      return 2;
    }
    if (dicom) {
      const std::string message = lumo::labModule()->openDicom(labWindow, file);
      if (!message.empty()) {
        std::fprintf(stderr, "lumo: %s\n", message.c_str());
        if (!scripted) QMessageBox::warning(labWindow, QStringLiteral("DICOMを開く"), QString::fromStdString(message));
      }
    }
  }

  std::unique_ptr<lumo::ScenarioRunner> runner;
  if (scripted) {
    runner = std::make_unique<lumo::ScenarioRunner>(window.navigator(), window.startView(), &window);
    runner->start(std::move(commands));
  }

  int status = app.exec();
  // Closing the windows may end the main loop with 0 before the queued exit with the
  // runner's status is reached: a failure must never end as a success.
  if (status == 0) status = window.navigator().exitCode();
  // The program ended (終了, close) with commands still to run: they were not done.
  if (runner && status == 0 && runner->commandsLeft() > 0) {
    const std::size_t left = runner->commandsLeft();
    std::fprintf(stderr, "lumo: the program ended before '%s'; %zu %s not run\n",
                 lumo::shown(runner->firstLeft()->line).c_str(), left, left == 1 ? "command was" : "commands were");
    status = 2;
  }
  window.saveProfile();
  if (!teardownNeeded()) {
    std::fflush(nullptr);
    _exit(status);
  }
  return status;
}
