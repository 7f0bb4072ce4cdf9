#pragma once
// Drives the program's screens from a script, on the real widgets and canvases:
//
//   open CLASS | type ID TEXT | check ID | uncheck ID | press ID | tab N
//   key Enter|Escape | close | where | snap FILE | frame ID FILE
//   open Lab | set KEY VALUE | run | play | step [N] | export KIND FILE | compare on|off
//   scale rainbow|grey|hot, and snap, frame PANEL FILE, close, where on the lab
//   (lab/LabScript.h)
//
// Commands are separated by ';' or new lines. Each runs once the previous one has
// settled (a transfer has shown its successor). An unknown command, class or id stops
// the script with a message naming it, and the program exits with status 2.
#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lumo {

class Navigator;
class ScreenView;
namespace lab {
class LabScript;
}

struct ScriptCommand {
  std::string verb;
  std::vector<std::string> args;  // for "type": {id, rest of the line}
  std::string line;               // as written, for messages
};

// Splits a script into commands; blank commands and '#' comments are skipped.
std::vector<ScriptCommand> parseScript(const std::string& script);

// The tour: for every screen and page, open it, run its sample steps and save a picture.
std::string tourScript(const std::string& directory);

class ScenarioRunner : public QObject {
  Q_OBJECT
 public:
  // `startView` answers presses and pictures while no screen is open.
  ScenarioRunner(Navigator& navigator, ScreenView* startView, QWidget* mainWindow);
  ~ScenarioRunner() override;
  // Starts running once the event loop runs; the program exits when the script ends.
  void start(std::vector<ScriptCommand> commands);

 private:
  void step();
  void execute(const ScriptCommand& c);
  ScreenView* view();  // the screen or page the commands act on
  QWidget* window();

  Navigator& navigator_;
  ScreenView* startView_;
  QWidget* mainWindow_;
  std::vector<ScriptCommand> commands_;
  std::size_t next_ = 0;
  int waits_ = 0;
  // The reconstruction lab's commands (lab/LabScript.h).
  std::unique_ptr<lab::LabScript> lab_;
};

}  // namespace lumo
