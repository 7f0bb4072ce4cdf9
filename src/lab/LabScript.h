#pragma once
// The lab's commands of the scenario runner:
//
//   open Lab                 opens the lab window; snap, frame and close act on it
//                            until another screen is opened
//   set KEY VALUE            a setting, as the student would set it
//   run                      waits until the current computation has finished (a
//                            paused build-up is played to its end)
//   play                     plays the build-up at the chosen speed to its end
//   step [N]                 shows N more build-up steps (default 1)
//   export KIND FILE         CSV: truth, sinogram, slice, error, metrics, convergence,
//                            profile, figures (after the current computation)
//   export slice|sinogram FILE.dcm   the slice or the sinogram as a DICOM NM file
//   load FILE                an NM TOMO projection file (DICOM) as the lab's data, its
//                            centre row; a bad file stops the script with its message
//   row N                    the slice row of the loaded projections (0 at the top)
//   compare on|off           keeps the current result beside the next ones
//   scale rainbow|grey|hot   the colour scale of the pictures
//   snap FILE                the lab window as shown
//   frame PANEL FILE         one panel: truth, sinogram, slice, error, kept-slice,
//                            kept-error, profile, convergence, figures, settings
//   close                    closes the lab window
//
// Waiting never blocks: the runner asks waiting() and tries again later, so the window
// keeps painting and the worker keeps delivering.
#include <QPointer>
#include <QWidget>
#include <string>

#include "app/LabModule.h"
#include "app/ScenarioRunner.h"
#include "lab/LabWindow.h"

namespace lumo::lab {

class LabScript : public LabCommands {
 public:
  // A lab already open (lumo --lab) is the runner's window from the start.
  explicit LabScript(QWidget* mainWindow)
      : mainWindow_(mainWindow), lab_(LabWindow::find(mainWindow)), active_(lab_ != nullptr) {}

  // True when `c` is the lab's to run (it then goes to execute()).
  bool takes(const ScriptCommand& c) override;
  // Runs a command; returns "" or a message naming what was wrong.
  std::string execute(const ScriptCommand& c) override;
  // True while the last command has not finished, or while `next` (null at the end of
  // the script) needs a result that is still being computed: the runner waits and asks
  // again. A failure found while waiting is returned once by takeError().
  bool waiting(const ScriptCommand* next) override;
  std::string takeError() override;
  // "Lab" while the lab is the runner's window.
  bool active() const { return active_ && lab_; }

 private:
  enum class Wait { None, Result, Step };
  LabWindow* lab(const ScriptCommand& c);
  std::string savePicture(const QImage& image, const std::string& file, const ScriptCommand& c);

  QWidget* mainWindow_;
  QPointer<LabWindow> lab_;
  bool active_ = false;
  Wait wait_ = Wait::None;
  int stepTarget_ = 0;
  std::string error_;
};

}  // namespace lumo::lab
