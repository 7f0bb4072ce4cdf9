// Lumo: a teaching program for SPECT image reconstruction.
//
//   lumo                 the main window
//   lumo FILE            the same, with FILE opened as the (empty) document
//   lumo --run 'CMDS'    drive the screens from a script (see ScenarioRunner.h)
//   lumo --script FILE   the same, with the script in a file
//   lumo --tour DIR      every screen after sample presses, one PNG each
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/MainWindow.h"
#include "app/ScenarioRunner.h"

namespace {

void usage() {
  std::fprintf(stderr,
               "usage: lumo [FILE] | --run 'COMMANDS' | --script FILE | --tour DIR\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string script;
  bool scripted = false;
  std::string file;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if ((a == "--run" || a == "--script" || a == "--tour") && i + 1 >= argc) {
      usage();
      return 2;
    }
    if (a == "--run") {
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

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lumo"));
  QApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));

  lumo::MainWindow window;
  if (!file.empty()) window.openDocument(QString::fromLocal8Bit(file.c_str()));
  window.show();

  std::unique_ptr<lumo::ScenarioRunner> runner;
  if (scripted) {
    runner = std::make_unique<lumo::ScenarioRunner>(window.navigator(), window.startView(), &window);
    runner->start(lumo::parseScript(script));
  }
  return app.exec();
}
