#pragma once
// Drives the program's screens from a script, on the real widgets and canvases:
//
//   open CLASS | type ID TEXT | check ID | uncheck ID | press ID | tab N
//   key Enter|Escape | close | where | snap FILE | frame ID FILE
//   open Lab | set KEY VALUE | run | play | step [N] | export KIND FILE | compare on|off
//   scale rainbow|grey|hot, and snap, frame PANEL FILE, close, where on the lab
//   (lab/LabScript.h)
//
// Commands are separated by ';' or new lines; a command that starts with '#' is a
// comment up to the end of its line. Words are separated by blanks. A double-quoted
// part keeps blanks and ';' ("my picture.png"); inside quotes \" is a quote and \\ a
// backslash, and a quote must close on its line. `type ID TEXT` keeps the rest of the
// line after the id as its text, blanks included, with quoted parts unquoted the same
// way (`type 1009 ""` types an empty text, `type 1009 "a;b"` types a;b).
//
// Each command takes exactly its words; one more or one fewer stops the script. Each
// runs once the previous one has settled (a transfer has shown its successor). An
// unknown command, class or id, a control of the wrong kind, or a command left over
// when the program has ended stops the script with a message naming it, and the
// program exits with status 2.
#include <QObject>
#include <functional>
#include <memory>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumo {

class LabCommands;
class Navigator;
class ScreenView;

struct ScriptCommand {
  std::string verb;
  std::vector<std::string> args;  // words with their quotes removed; for "type": {id, text}
  std::string line;               // as written, for messages
};

// A fault in a script: the message names the command (shortened with shown()).
struct ScriptError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The longest script the runner reads (--run, --script).
constexpr std::size_t kMaxScriptBytes = 4u << 20;

// Splits a script into commands; blank commands and comments are skipped. Throws
// ScriptError for a NUL character, a quote left open, or a script over kMaxScriptBytes.
std::vector<ScriptCommand> parseScript(const std::string& script);

// Script text fit for a message: at most 60 characters (longer text ends in "..."),
// control characters written as \xNN.
std::string shown(const std::string& text);

// Throws ScriptError unless `c` has exactly `n` arguments; `usage` is how the command
// is written, e.g. "press ID".
void expectArgs(const ScriptCommand& c, std::size_t n, const char* usage);

// The tour: for every screen and page, open it, run its sample steps and save a picture
// into `directory` (taken as it is: its name never becomes script text).
std::vector<ScriptCommand> tourCommands(const std::string& directory);

class ScenarioRunner : public QObject {
  Q_OBJECT
 public:
  // `startView` answers presses and pictures while no screen is open.
  ScenarioRunner(Navigator& navigator, ScreenView* startView, QWidget* mainWindow);
  ~ScenarioRunner() override;
  // Starts running once the event loop runs; the program exits when the script ends.
  void start(std::vector<ScriptCommand> commands);
  // After the program ended: the commands it never ran, the first of them named.
  std::size_t commandsLeft() const { return commands_.size() - next_; }
  const ScriptCommand* firstLeft() const { return next_ < commands_.size() ? &commands_[next_] : nullptr; }

 private:
  void step();
  void execute(const ScriptCommand& c);
  ScreenView* view();  // the screen or page the commands act on
  QWidget* window();
  // The lab's commands (lab/LabScript.h), its module loaded on first use: by `open Lab`
  // or a command the runner does not know. Null (with `why`) when it cannot be loaded.
  LabCommands* labCommands(QString* why = nullptr);
  // Runs `c` on the lab if it is the lab's; false when it is not (or there is no lab).
  bool runOnLab(LabCommands* lab, const ScriptCommand& c);

  Navigator& navigator_;
  ScreenView* startView_;
  QWidget* mainWindow_;
  std::vector<ScriptCommand> commands_;
  std::size_t next_ = 0;
  int waits_ = 0;
  // The reconstruction lab's commands, once the script or the program has used the lab.
  std::unique_ptr<LabCommands> lab_;
};

}  // namespace lumo
