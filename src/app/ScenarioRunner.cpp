#include "app/ScenarioRunner.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

#include "app/Navigator.h"
#include "app/ScreenView.h"
#include "app/LabModule.h"
#include "app/Modules.h"
#include "screens/Registry.h"

namespace lumo {

namespace {

bool blank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r'; }

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// Removes the quotes of `text` (one command, already known to close every quote) and
// resolves \" and \\ inside them; with `words`, blanks outside quotes separate words,
// else they are kept as written.
std::vector<std::string> unquote(const std::string& text, bool words) {
  std::vector<std::string> out;
  std::string word;
  bool inWord = false, quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (quoted) {
      if (ch == '\\' && i + 1 < text.size() && (text[i + 1] == '"' || text[i + 1] == '\\')) {
        word += text[++i];
      } else if (ch == '"') {
        quoted = false;
      } else {
        word += ch;
      }
    } else if (ch == '"') {
      quoted = inWord = true;
    } else if (words && blank(ch)) {
      if (inWord) out.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += ch;
      inWord = true;
    }
  }
  if (inWord || !words) out.push_back(word);
  return out;
}

// Where the word starting at `start` ends: at the first blank outside quotes.
std::size_t wordEnd(const std::string& line, std::size_t start) {
  bool quoted = false;
  std::size_t i = start;
  for (; i < line.size() && (quoted || !blank(line[i])); ++i) {
    if (quoted && line[i] == '\\' && i + 1 < line.size()) {
      ++i;
    } else if (line[i] == '"') {
      quoted = !quoted;
    }
  }
  return i;
}

// One command from its text as written (trimmed, not blank, not a comment).
ScriptCommand commandOf(const std::string& line) {
  ScriptCommand c;
  c.line = line;
  const std::size_t verbEnd = wordEnd(line, 0);
  c.verb = unquote(line.substr(0, verbEnd), true).front();
  if (c.verb != "type") {
    c.args = unquote(line.substr(verbEnd), true);
    return c;
  }
  // type ID TEXT: the text is the rest of the line after the id and one blank.
  std::size_t idStart = verbEnd;
  while (idStart < line.size() && blank(line[idStart])) ++idStart;
  if (idStart == line.size()) return c;
  const std::size_t idEnd = wordEnd(line, idStart);
  c.args.push_back(unquote(line.substr(idStart, idEnd - idStart), true).front());
  c.args.push_back(unquote(idEnd < line.size() ? line.substr(idEnd + 1) : std::string(), false).front());
  return c;
}

int toId(const std::string& word, const ScriptCommand& c) {
  char* end = nullptr;
  const long v = std::strtol(word.c_str(), &end, 10);
  if (word.empty() || end != word.c_str() + word.size() || v < -1 || v > 65535)
    throw ScriptError("not a control id: '" + shown(word) + "' in '" + shown(c.line) + "'");
  return static_cast<int>(v);
}

const char* kindName(ControlType t) {
  switch (t) {
    case ControlType::Button:
    case ControlType::DefButton: return "a push button";
    case ControlType::Edit: return "an edit field";
    case ControlType::Static: return "a label";
    case ControlType::Frame: return "a picture frame";
    case ControlType::Group: return "a group box";
    case ControlType::Radio: return "a radio button";
    case ControlType::Check: return "a check box";
    case ControlType::Bitmap: return "a picture";
    case ControlType::Icon: return "an icon";
  }
  return "a control";
}

// The control `id` of the screen the commands act on, which must be one of `kinds`
// (`wanted` says which, for the message).
const ControlTemplate& controlOf(ScreenView* sv, const std::string& where, int id, const ScriptCommand& c,
                                 std::initializer_list<ControlType> kinds, const char* wanted) {
  const ControlTemplate* t = sv->dialogTemplate().control(id);
  if (!t || !sv->hasControl(id)) throw ScriptError("unknown control id " + std::to_string(id) + " on " + where);
  for (ControlType k : kinds)
    if (t->type == k) return *t;
  throw ScriptError("control " + std::to_string(id) + " on " + where + " is " + kindName(t->type) + ", not " +
                    wanted + ": '" + shown(c.line) + "'");
}

void savePng(const QImage& image, const std::string& file, const ScriptCommand& c) {
  const QFileInfo info(QString::fromStdString(file));
  QDir().mkpath(info.absolutePath());
  const QString error = writePng(image, info.absoluteFilePath());
  if (!error.isEmpty())
    throw ScriptError("cannot write '" + shown(file) + "' in '" + shown(c.line) + "': " + error.toStdString());
}

}  // namespace

std::string shown(const std::string& text) {
  constexpr std::size_t kLongest = 60;
  std::string out;
  for (std::size_t i = 0; i < text.size() && i < kLongest; ++i) {
    const unsigned char ch = static_cast<unsigned char>(text[i]);
    if (ch < 0x20 || ch == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", ch);
      out += hex;
    } else {
      out += static_cast<char>(ch);
    }
  }
  if (text.size() > kLongest) {
    // Never end inside a UTF-8 sequence: drop a last character that was cut.
    std::size_t lead = out.size();
    while (lead > 0 && (static_cast<unsigned char>(out[lead - 1]) & 0xC0) == 0x80) --lead;
    if (lead > 0 && (static_cast<unsigned char>(out[lead - 1]) & 0x80)) {
      const unsigned char b = static_cast<unsigned char>(out[lead - 1]);
      const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
      if (out.size() - (lead - 1) < length) out.resize(lead - 1);
    }
    out += "...";
  }
  return out;
}

void expectArgs(const ScriptCommand& c, std::size_t n, const char* usage) {
  if (c.args.size() == n) return;
  throw ScriptError(std::string(c.args.size() > n ? "extra words in '" : "too few arguments in '") + shown(c.line) +
                    "' (write: " + usage + ")");
}

std::vector<ScriptCommand> parseScript(const std::string& script) {
  if (script.size() > kMaxScriptBytes)
    throw ScriptError("the script is longer than " + std::to_string(kMaxScriptBytes >> 20) + " MB");
  std::vector<ScriptCommand> out;
  std::string current;
  int lineNumber = 1;
  bool quoted = false, comment = false;
  auto flush = [&] {
    const std::string line = trim(current);
    current.clear();
    if (!line.empty()) out.push_back(commandOf(line));
  };
  for (std::size_t i = 0; i < script.size(); ++i) {
    const char ch = script[i];
    if (ch == '\0') throw ScriptError("the script holds a NUL character on line " + std::to_string(lineNumber));
    if (ch == '\n') ++lineNumber;
    if (comment) {
      comment = ch != '\n';
      continue;
    }
    if (quoted) {
      if (ch == '\n') throw ScriptError("a quote is left open in '" + shown(trim(current)) + "'");
      if (ch == '\\' && i + 1 < script.size() && (script[i + 1] == '"' || script[i + 1] == '\\')) {
        current += ch;
        current += script[++i];
        continue;
      }
      if (ch == '"') quoted = false;
      current += ch;
    } else if (ch == ';' || ch == '\n') {
      flush();
    } else if (ch == '#' && trim(current).empty()) {
      current.clear();
      comment = true;
    } else {
      if (ch == '"') quoted = true;
      current += ch;
    }
  }
  if (quoted) throw ScriptError("a quote is left open in '" + shown(trim(current)) + "'");
  flush();
  return out;
}

std::vector<ScriptCommand> tourCommands(const std::string& directory) {
  auto snap = [&](const std::string& name) {
    const std::string file = directory + "/" + name + ".png";
    return ScriptCommand{"snap", {file}, "snap " + file};
  };
  std::vector<ScriptCommand> out{snap("start")};
  for (const ScreenInfo& s : allScreens()) {
    const std::string name(s.className);
    out.push_back({"open", {name}, "open " + name});
    QFile steps(QStringLiteral(":/tour/%1.txt").arg(QString::fromStdString(name)));
    if (steps.open(QIODevice::ReadOnly))
      for (ScriptCommand& c : parseScript(steps.readAll().toStdString())) out.push_back(std::move(c));
    out.push_back(snap(name));
  }
  // The reconstruction lab, on its defaults.
  for (ScriptCommand& c : parseScript("open Lab\nrun")) out.push_back(std::move(c));
  out.push_back(snap("Lab"));
  out.push_back({"close", {}, "close"});
  out.push_back({"close", {}, "close"});
  return out;
}

ScenarioRunner::ScenarioRunner(Navigator& navigator, ScreenView* startView, QWidget* mainWindow)
    : navigator_(navigator), startView_(startView), mainWindow_(mainWindow) {
  // A lab opened before the script (lumo --lab) is the script's window from the start.
  if (moduleLoaded("lab"))
    if (LabModule* lab = labModule()) lab_ = lab->commands(mainWindow_);
}

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
  if (lab_ && lab_->waiting(next_ < commands_.size() ? &commands_[next_] : nullptr)) {
    QTimer::singleShot(5, this, &ScenarioRunner::step);
    return;
  }
  if (const std::string e = lab_ ? lab_->takeError() : std::string(); !e.empty()) {
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
      std::fprintf(stderr, "lumo: %s\n", e.what());
      navigator_.quit(2);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lumo: %s in '%s'\n", e.what(), shown(c.line).c_str());
    navigator_.quit(2);
  }
}

LabCommands* ScenarioRunner::labCommands(QString* why) {
  if (!lab_)
    if (LabModule* lab = labModule(why)) lab_ = lab->commands(mainWindow_);
  return lab_.get();
}

bool ScenarioRunner::runOnLab(LabCommands* lab, const ScriptCommand& c) {
  if (!lab || !lab->takes(c)) return false;
  if (const std::string e = lab->execute(c); !e.empty()) throw ScriptError{e};
  return true;
}

void ScenarioRunner::execute(const ScriptCommand& c) {
  // The lab takes its own commands, and snap, frame, close and where while it is the
  // script's window.
  if (runOnLab(lab_.get(), c)) return;
  const std::string& v = c.verb;
  if (v == "open" && !c.args.empty() && c.args[0] == "Lab") {
    QString why;
    if (!runOnLab(labCommands(&why), c))
      throw ScriptError("the reconstruction lab cannot be loaded (" + why.toStdString() + ") for '" + shown(c.line) +
                        "'");
  } else if (v == "open") {
    expectArgs(c, 1, "open CLASS");
    const std::string& cls = c.args[0];
    if (!findScreen(cls)) throw ScriptError("unknown screen class '" + shown(cls) + "'");
    if (navigator_.running()) {
      navigator_.redirect(cls);
    } else {
      navigator_.run(cls);
    }
  } else if (v == "type") {
    expectArgs(c, 2, "type ID TEXT");
    const int id = toId(c.args[0], c);
    ScreenView* sv = view();
    controlOf(sv, navigator_.where(), id, c, {ControlType::Edit}, "an edit field");
    sv->setText(id, c.args[1]);
    // The user clicks into an edit to type: it keeps the focus (Enter there dismisses).
    sv->control(id)->setFocus(Qt::MouseFocusReason);
  } else if (v == "check" || v == "uncheck") {
    expectArgs(c, 1, v == "check" ? "check ID" : "uncheck ID");
    const int id = toId(c.args[0], c);
    ScreenView* sv = view();
    controlOf(sv, navigator_.where(), id, c, {ControlType::Check, ControlType::Radio}, "a check box or radio button");
    sv->setChecked(id, v == "check");
  } else if (v == "press") {
    expectArgs(c, 1, "press ID");
    const int id = toId(c.args[0], c);
    ScreenView* sv = view();
    controlOf(sv, navigator_.where(), id, c,
              {ControlType::Button, ControlType::DefButton, ControlType::Check, ControlType::Radio}, "a button");
    sv->press(id);
  } else if (v == "tab") {
    expectArgs(c, 1, "tab N");
    SheetWindow* sheet = navigator_.sheet();
    const int n = toId(c.args[0], c);
    if (!sheet) throw ScriptError("no sheet is open for '" + shown(c.line) + "'");
    if (n < 1 || n > sheet->tabs()->count()) throw ScriptError("unknown tab " + shown(c.args[0]));
    sheet->tabs()->setCurrentIndex(n - 1);
  } else if (v == "key") {
    expectArgs(c, 1, "key Enter|Escape");
    int key = 0;
    if (c.args[0] == "Enter") key = Qt::Key_Return;
    if (c.args[0] == "Escape") key = Qt::Key_Escape;
    if (!key) throw ScriptError("unknown key '" + shown(c.args[0]) + "'");
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
    expectArgs(c, 0, "close");
    if (QWidget* w = navigator_.topWindow()) {
      w->close();
    } else {
      navigator_.quit(0);
    }
  } else if (v == "where") {
    expectArgs(c, 0, "where");
    std::printf("%s\n", navigator_.where().c_str());
    std::fflush(stdout);
  } else if (v == "snap") {
    expectArgs(c, 1, "snap FILE");
    QWidget* w = navigator_.sheet() ? static_cast<QWidget*>(navigator_.sheet()) : view();
    savePng(w->grab().toImage(), c.args[0], c);
  } else if (v == "frame") {
    expectArgs(c, 2, "frame ID FILE");
    const int id = toId(c.args[0], c);
    ScreenView* sv = view();
    controlOf(sv, navigator_.where(), id, c, {ControlType::Frame}, "a picture frame");
    savePng(sv->framePicture(id), c.args[1], c);
  } else if (!runOnLab(labCommands(), c)) {  // a command of the lab's, or none at all
    throw ScriptError("unknown command '" + shown(v) + "'");
  }
}

}  // namespace lumo
