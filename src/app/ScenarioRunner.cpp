#include "app/ScenarioRunner.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "app/Navigator.h"
#include "app/ScreenView.h"
#include "lab/LabScript.h"
#include "screens/Registry.h"

namespace lumo {

namespace {

struct ScriptError {
  std::string message;
};

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

int toId(const std::string& word, const ScriptCommand& c) {
  char* end = nullptr;
  const long v = std::strtol(word.c_str(), &end, 10);
  if (word.empty() || *end != '\0' || v < -1 || v > 65535) throw ScriptError{"not a control id: '" + word + "' in '" + c.line + "'"};
  return static_cast<int>(v);
}

void need(const ScriptCommand& c, std::size_t n) {
  if (c.args.size() < n) throw ScriptError{"too few arguments: '" + c.line + "'"};
}

void savePng(const QImage& image, const std::string& file, const ScriptCommand& c) {
  const QFileInfo info(QString::fromStdString(file));
  QDir().mkpath(info.absolutePath());
  if (!image.save(info.absoluteFilePath(), "PNG")) throw ScriptError{"cannot write '" + file + "' in '" + c.line + "'"};
}

}  // namespace

std::vector<ScriptCommand> parseScript(const std::string& script) {
  std::vector<ScriptCommand> out;
  std::string current;
  auto flush = [&] {
    const std::string line = trim(current);
    current.clear();
    if (line.empty() || line[0] == '#') return;
    ScriptCommand c;
    c.line = line;
    std::istringstream in(line);
    in >> c.verb;
    if (c.verb == "type") {
      std::string id;
      in >> id;
      std::string rest;
      std::getline(in, rest);
      if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
      c.args = {id, rest};
      if (id.empty()) c.args.clear();
    } else {
      std::string w;
      while (in >> w) c.args.push_back(w);
    }
    out.push_back(std::move(c));
  };
  for (char ch : script) {
    if (ch == ';' || ch == '\n') {
      flush();
    } else {
      current += ch;
    }
  }
  flush();
  return out;
}

std::string tourScript(const std::string& directory) {
  std::string script = "snap " + directory + "/start.png\n";
  for (const ScreenInfo& s : allScreens()) {
    const std::string name(s.className);
    script += "open " + name + "\n";
    QFile steps(QStringLiteral(":/tour/%1.txt").arg(QString::fromStdString(name)));
    if (steps.open(QIODevice::ReadOnly)) script += steps.readAll().toStdString() + "\n";
    script += "snap " + directory + "/" + name + ".png\n";
  }
  // The reconstruction lab, on its defaults.
  script += "open Lab\nrun\nsnap " + directory + "/Lab.png\nclose\n";
  script += "close\n";
  return script;
}

ScenarioRunner::ScenarioRunner(Navigator& navigator, ScreenView* startView, QWidget* mainWindow)
    : navigator_(navigator), startView_(startView), mainWindow_(mainWindow),
      lab_(std::make_unique<lab::LabScript>(mainWindow)) {}

ScenarioRunner::~ScenarioRunner() = default;

void ScenarioRunner::start(std::vector<ScriptCommand> commands) {
  commands_ = std::move(commands);
  next_ = 0;
  QTimer::singleShot(0, this, &ScenarioRunner::step);
}

ScreenView* ScenarioRunner::view() {
  if (SheetWindow* sheet = navigator_.sheet()) return sheet->currentPage();
  if (ScreenWindow* w = navigator_.current()) return w->view();
  return startView_;
}

QWidget* ScenarioRunner::window() {
  if (QWidget* w = navigator_.topWindow()) return w;
  return mainWindow_;
}

void ScenarioRunner::step() {
  if (navigator_.quitting()) return;
  // A transfer under way: wait until its successor is shown.
  if (!navigator_.settled()) {
    if (++waits_ > 10000) {
      std::fprintf(stderr, "lumo: the screen did not settle\n");
      navigator_.quit(2);
      return;
    }
    QTimer::singleShot(1, this, &ScenarioRunner::step);
    return;
  }
  waits_ = 0;
  // The lab's run, play and step finish in its worker: wait for them without blocking.
  if (lab_->waiting(next_ < commands_.size() ? &commands_[next_] : nullptr)) {
    QTimer::singleShot(5, this, &ScenarioRunner::step);
    return;
  }
  if (const std::string e = lab_->takeError(); !e.empty()) {
    std::fprintf(stderr, "lumo: %s\n", e.c_str());
    navigator_.quit(2);
    return;
  }
  if (next_ >= commands_.size()) {
    std::fflush(stdout);
    navigator_.quit(0);
    return;
  }
  const ScriptCommand c = commands_[next_++];
  // The next command is queued first: `open` blocks in the screens' own event loops,
  // in which the rest of the script then runs.
  QTimer::singleShot(0, this, &ScenarioRunner::step);
  try {
    execute(c);
  } catch (const ScriptError& e) {
    if (!navigator_.quitting()) {
      std::fprintf(stderr, "lumo: %s\n", e.message.c_str());
      navigator_.quit(2);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lumo: %s in '%s'\n", e.what(), c.line.c_str());
    navigator_.quit(2);
  }
}

void ScenarioRunner::execute(const ScriptCommand& c) {
  if (lab_->takes(c)) {
    if (const std::string e = lab_->execute(c); !e.empty()) throw ScriptError{e};
    return;
  }
  const std::string& v = c.verb;
  if (v == "open") {
    need(c, 1);
    const std::string& cls = c.args[0];
    if (!findScreen(cls)) throw ScriptError{"unknown screen class '" + cls + "'"};
    if (navigator_.running()) {
      navigator_.redirect(cls);
    } else {
      navigator_.run(cls);
    }
  } else if (v == "type") {
    need(c, 2);
    const int id = toId(c.args[0], c);
    ScreenView* sv = view();
    if (!sv->hasControl(id)) throw ScriptError{"unknown control id " + c.args[0] + " on " + navigator_.where()};
    sv->setText(id, c.args[1]);
    // The user clicks into an edit to type: it keeps the focus (Enter there dismisses).
    sv->control(id)->setFocus(Qt::MouseFocusReason);
  } else if (v == "check" || v == "uncheck") {
    need(c, 1);
    const int id = toId(c.args[0], c);
    ScreenView* sv = view();
    if (!qobject_cast<QAbstractButton*>(sv->control(id))) throw ScriptError{"unknown control id " + c.args[0] + " on " + navigator_.where()};
    sv->setChecked(id, v == "check");
  } else if (v == "press") {
    need(c, 1);
    const int id = toId(c.args[0], c);
    ScreenView* sv = view();
    if (!sv->press(id)) throw ScriptError{"unknown control id " + c.args[0] + " on " + navigator_.where()};
  } else if (v == "tab") {
    need(c, 1);
    SheetWindow* sheet = navigator_.sheet();
    const int n = toId(c.args[0], c);
    if (!sheet) throw ScriptError{"no sheet is open for '" + c.line + "'"};
    if (n < 1 || n > sheet->tabs()->count()) throw ScriptError{"unknown tab " + c.args[0]};
    sheet->tabs()->setCurrentIndex(n - 1);
  } else if (v == "key") {
    need(c, 1);
    int key = 0;
    if (c.args[0] == "Enter") key = Qt::Key_Return;
    if (c.args[0] == "Escape") key = Qt::Key_Escape;
    if (!key) throw ScriptError{"unknown key '" + c.args[0] + "'"};
    // As a real key press: the window is active (which gives its first control the
    // focus, as on screen), and the key goes to the window, which hands it to the
    // focused control. The offscreen platform activates no window by itself.
    QWidget* w = window();
    if (QApplication::activeWindow() != w) QApplication::setActiveWindow(w);
    QObject* target = w->windowHandle() ? static_cast<QObject*>(w->windowHandle()) : w;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
  } else if (v == "close") {
    if (QWidget* w = navigator_.topWindow()) {
      w->close();
    } else {
      navigator_.quit(0);
    }
  } else if (v == "where") {
    std::printf("%s\n", navigator_.where().c_str());
    std::fflush(stdout);
  } else if (v == "snap") {
    need(c, 1);
    QWidget* w = navigator_.sheet() ? static_cast<QWidget*>(navigator_.sheet()) : view();
    savePng(w->grab().toImage(), c.args[0], c);
  } else if (v == "frame") {
    need(c, 2);
    const int id = toId(c.args[0], c);
    ScreenView* sv = view();
    if (!sv->dialogTemplate().control(id)) throw ScriptError{"unknown control id " + c.args[0] + " on " + navigator_.where()};
    const PixelRect r = sv->frameRect(id);
    savePng(sv->snapshot().copy(r.left, r.top, r.width(), r.height()), c.args[1], c);
  } else {
    throw ScriptError{"unknown command '" + v + "'"};
  }
}

}  // namespace lumo
