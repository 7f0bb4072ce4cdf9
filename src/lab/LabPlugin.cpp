#include "lab/LabPlugin.h"

#include "lab/LabScript.h"
#include "lab/LabWindow.h"

namespace lumo::lab {

QWidget* LabPlugin::openLab(QWidget* mainWindow) { return LabWindow::open(mainWindow); }

std::string LabPlugin::openDicom(QWidget* lab, const std::string& file) {
  auto* window = qobject_cast<LabWindow*>(lab);
  return window ? window->openDicom(file) : std::string("the lab is not open");
}

std::unique_ptr<LabCommands> LabPlugin::commands(QWidget* mainWindow) {
  return std::make_unique<LabScript>(mainWindow);
}

}  // namespace lumo::lab
