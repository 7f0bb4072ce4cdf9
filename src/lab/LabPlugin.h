#pragma once
// The reconstruction lab as the program's "lab" module (app/Modules.h): the plugin the
// main window and the scenario runner reach the lab through.
#include <QObject>

#include "app/LabModule.h"

namespace lumo::lab {

class LabPlugin : public QObject, public LabModule {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID LUMO_LAB_MODULE_IID)
  Q_INTERFACES(lumo::LabModule)
 public:
  using QObject::QObject;
  QWidget* openLab(QWidget* mainWindow) override;
  std::string openDicom(QWidget* lab, const std::string& file) override;
  std::unique_ptr<LabCommands> commands(QWidget* mainWindow) override;
};

}  // namespace lumo::lab
