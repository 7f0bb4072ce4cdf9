#pragma once
// Runs the built program with a script, headless, and collects what it printed.
#include <QProcess>
#include <QProcessEnvironment>
#include <QList>
#include <QPair>
#include <QStringList>
#include <string>

namespace lumo::test {

struct LumoRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// `env` adds to (or, with an empty value, removes from) the program's environment.
inline LumoRun runLumo(const QStringList& args, int timeoutMs = 120000,
                       const QList<QPair<QString, QString>>& env = {}) {
  QProcess p;
  QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
  e.insert("QT_QPA_PLATFORM", "offscreen");
  for (const auto& [name, value] : env) {
    if (value.isEmpty()) {
      e.remove(name);
    } else {
      e.insert(name, value);
    }
  }
  p.setProcessEnvironment(e);
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

inline LumoRun runScript(const std::string& script, const QList<QPair<QString, QString>>& env = {}) {
  return runLumo({QStringLiteral("--run"), QString::fromStdString(script)}, 120000, env);
}

}  // namespace lumo::test
