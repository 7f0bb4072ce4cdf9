// Lumo: a teaching program for SPECT image reconstruction.
//
//   lumo                 the main window
//   lumo FILE            the same, with FILE opened as the (empty) document
//   lumo --run 'CMDS'    drive the screens from a script (see ScenarioRunner.h)
//   lumo --script FILE   the same, with the script in a file
//   lumo --tour DIR      every screen after sample presses, one PNG each
//   lumo --scale N       draw every screen N times larger (N = 1..8), pixel for pixel
//   lumo --lab           the same, with the reconstruction lab open
//   lumo --lab FILE.dcm  the lab with an NM TOMO projection file as its data
//
// Without --scale the program follows the display's scale factor, rounded to a whole
// number: the screens' pictures are pixel-exact and stay crisp only when each of their
// pixels becomes a whole block of screen pixels.
#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QFont>
#include <QTimer>
#include <QWindow>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "app/MainWindow.h"
#include "app/Platform.h"
#include "app/ScenarioRunner.h"
#include "lab/LabWindow.h"

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

}  // namespace

int main(int argc, char** argv) {
  std::string script;
  bool scripted = false;
  std::string file;
  bool lab = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if ((a == "--run" || a == "--script" || a == "--tour" || a == "--scale") && i + 1 >= argc) {
      usage();
      return 2;
    }
    if (a == "--scale") {
      const int n = scaleFactorOf(argv[++i]);
      if (!n) {
        std::fprintf(stderr, "lumo: --scale takes a whole number from 1 to 8, not '%s'\n", argv[i]);
        return 2;
      }
      // The forced factor replaces the display's own.
      setenv("QT_SCALE_FACTOR", std::to_string(n).c_str(), 1);
      setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    } else if (a == "--run") {
      script = argv[++i];
      scripted = true;
    } else if (a == "--script") {
      QFile f(QString::fromLocal8Bit(argv[++i]));
      if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "lumo: cannot read script '%s'\n", argv[i]);
        return 2;
      }
      script = f.readAll().toStdString();
      scripted = true;
    } else if (a == "--tour") {
      std::string dir = argv[++i];
      script = lumo::tourScript(dir);
      scripted = true;
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
      file = a;
    }
  }

  // Scripts run headless when there is no display.
  if (scripted && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

  keepScaleFactorWhole();
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);

  QApplication app(argc, argv);
  // The classic look of the silver dialog face the screens were drawn for.
  QApplication::setStyle(QStringLiteral("Windows"));
  // Every text of the program is Japanese: a Japanese face as the widgets' own font
  // spares each menu, bar and label a search for a fallback font.
  QFont uiFont = QApplication::font();
  uiFont.setFamilies({QStringLiteral("IPAPGothic")});
  QApplication::setFont(uiFont);
  QApplication::setApplicationName(QStringLiteral("Lumo"));
  QApplication::setWindowIcon(lumo::applicationIcon());
  lumo::installFrameworkTranslations(app);
  QApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));

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
  // lumo --lab FILE.dcm opens the file in the lab (any other file is a document).
  const bool dicom = lab && QFileInfo(QString::fromLocal8Bit(file.c_str())).suffix().toLower() == "dcm";
  if (!file.empty() && !dicom) window.openDocument(QString::fromLocal8Bit(file.c_str()));
  window.show();
  if (lab) {
    lumo::lab::LabWindow* labWindow = lumo::lab::LabWindow::open(&window);
    if (dicom) {
      const std::string message = labWindow->openDicom(file);
      if (!message.empty()) {
        std::fprintf(stderr, "lumo: %s\n", message.c_str());
        if (!scripted) QMessageBox::warning(labWindow, QStringLiteral("DICOMを開く"), QString::fromStdString(message));
      }
    }
  }

  std::unique_ptr<lumo::ScenarioRunner> runner;
  if (scripted) {
    runner = std::make_unique<lumo::ScenarioRunner>(window.navigator(), window.startView(), &window);
    runner->start(lumo::parseScript(script));
  }

  return app.exec();
}
