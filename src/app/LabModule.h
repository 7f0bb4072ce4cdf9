#pragma once
// What the main window and the scenario runner ask of the reconstruction lab, which
// lives in a module of its own (app/Modules.h, lab/LabPlugin.h).
#include <QtPlugin>
#include <memory>
#include <string>

#include "app/ScenarioRunner.h"

class QWidget;

namespace lumo {

// The lab's commands of the scenario runner (lab/LabScript.h).
class LabCommands {
 public:
  virtual ~LabCommands() = default;
  // True when `c` is the lab's to run (it then goes to execute()).
  virtual bool takes(const ScriptCommand& c) = 0;
  // Runs a command; returns "" or a message naming what was wrong.
  virtual std::string execute(const ScriptCommand& c) = 0;
  // True while the last command has not finished, or while `next` (null at the end)
  // needs a result still being computed; a failure found meanwhile comes from takeError().
  virtual bool waiting(const ScriptCommand* next) = 0;
  virtual std::string takeError() = 0;
};

class LabModule {
 public:
  virtual ~LabModule() = default;
  // The lab window of `mainWindow`: made on first use, shown and raised.
  virtual QWidget* openLab(QWidget* mainWindow) = 0;
  // An NM TOMO projection file as the data of an open lab; "" or the Japanese message.
  virtual std::string openDicom(QWidget* lab, const std::string& file) = 0;
  // The runner's lab commands; a lab already open is their window from the start.
  virtual std::unique_ptr<LabCommands> commands(QWidget* mainWindow) = 0;
};

// The lab module, loaded on first use; null (with `why`) when it cannot be loaded.
LabModule* labModule(QString* why = nullptr);

}  // namespace lumo

#define LUMO_LAB_MODULE_IID "org.lumo.LabModule/1"
Q_DECLARE_INTERFACE(lumo::LabModule, LUMO_LAB_MODULE_IID)
