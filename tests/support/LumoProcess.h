#pragma once
// Runs the built program with a script, headless, and collects what it printed.
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <string>

namespace lumo::test {

struct LumoRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline LumoRun runLumo(const QStringList& args, int timeoutMs = 120000) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(LUMO_BINARY_DIR "/lumo"), args);
  LumoRun r;
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished();
    r.err = "timed out";
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = p.readAllStandardOutput().toStdString();
  r.err = p.readAllStandardError().toStdString();
  return r;
}

inline LumoRun runScript(const std::string& script) {
  return runLumo({QStringLiteral("--run"), QString::fromStdString(script)});
}

}  // namespace lumo::test
